in vec2 position;

uniform mat3 transformation;

void main() {
    gl_Position = vec4((transformation * vec3(position, 1.0)).xy, 0.0, 1.0);
}
