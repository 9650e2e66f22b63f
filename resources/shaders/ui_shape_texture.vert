uniform vec2 textureScale;
uniform vec2 textureOffset;

out vec2 texturePosition;

void main() {
    texturePosition = position * textureScale + textureOffset;
    gl_Position = shapeTransformation();
}
