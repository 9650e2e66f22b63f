uniform vec2 edgeMapScale;

out vec2 puzzlePosition;

void main() {
    puzzlePosition = position;
    gl_Position = vec4(partBaseTransformation(), 0.0, 1.0);
}
