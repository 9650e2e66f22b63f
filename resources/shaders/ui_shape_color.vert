in vec4 vertexColor;

out vec4 geometryColor;

void main() {
    geometryColor = vertexColor;
    gl_Position = shapeTransformation();
}
