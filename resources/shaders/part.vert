void main() {
    gl_Position = vec4(partBaseTransformation(), 0.0, 1.0);
}
