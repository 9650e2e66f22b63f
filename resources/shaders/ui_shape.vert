void main() {
    gl_Position = shapeTransformation();
}
