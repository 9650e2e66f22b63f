// Lighting from the edge map: every texel holds the angle and distance codes
// of its two nearest cut segments (red, green: the nearest; blue, alpha: the
// second), the angle in turns, the distance in units of edgeSize + 1.
in vec2 puzzlePosition;

uniform sampler2D edgeMapSampler;
uniform vec2 edgeMapScale;

out vec4 fragmentColor;

const float TWO_PI = 6.28318530717958647692;

// The signed distance of the fragment from one coded edge; normal gets the
// edge's normal turned to the fragment's side.
float edgeDistance(vec2 codes, vec2 offset, out vec2 normal) {
    float angle = codes.x * TWO_PI;
    vec2 n = vec2(cos(angle), sin(angle));
    float signedDistance = dot(offset, n) - codes.y * (edgeSize + 1.0);
    // A fragment exactly on the edge keeps the side of the texel centre.
    normal = signedDistance > 0.0 ? n : -n;
    return abs(signedDistance);
}

void main() {
    vec2 centre = floor(puzzlePosition) + vec2(0.5, 0.5);
    vec4 codes = texture(edgeMapSampler, centre * edgeMapScale);
    vec2 offset = centre - puzzlePosition;
    vec2 normalA;
    vec2 normalB;
    float distanceA = edgeDistance(codes.rg, offset, normalA);
    float distanceB = edgeDistance(codes.ba, offset, normalB);
    vec2 outwards = distanceA < distanceB ? normalA : normalB;
    float nearest = distanceA < distanceB ? distanceA : distanceB;
    float d = min(nearest / edgeSize, 1.0);
    fragmentColor = vec4(lighting(d, outwards, samplePictureColor()), 1.0);
}
