in vec2 texturePosition;

uniform vec4 color;
uniform sampler2D textureSampler;

out vec4 fragmentColor;

void main() {
    fragmentColor = color * texture(textureSampler, texturePosition);
}
