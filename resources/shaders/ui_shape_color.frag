in vec4 geometryColor;

uniform vec4 color;

out vec4 fragmentColor;

void main() {
    fragmentColor = geometryColor * color;
}
