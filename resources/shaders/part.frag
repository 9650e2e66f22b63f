out vec4 fragmentColor;

void main() {
    fragmentColor = vec4(samplePictureColor(), 1.0);
}
