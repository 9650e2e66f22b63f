// Lighting from the nearest of the vertex's edge records. A record is
// (x, y, z, w): x the angle of the edge's normal in turns, y the signed
// distance from the edge's line (negative: no edge), z and w the signed
// distances from the caps at its two ends.
#ifndef EDGES
#define EDGES 2
#endif

in vec4 edgesDistance[EDGES];

out vec4 fragmentColor;

const float TWO_PI = 6.28318530717958647692;

float recordDistance(vec4 record) {
    if (record.y < 0.0)
        return 1000.0;
    return length(vec2(record.y, min(min(record.z, record.w), 0.0)));
}

vec2 recordDirection(vec4 record) {
    float angle = record.x * TWO_PI;
    vec2 normal = vec2(cos(angle), sin(angle));
    vec2 tangent = vec2(-normal.y, normal.x);
    vec2 direction = normal * max(record.y, 0.0)
                   + tangent * ((-min(record.z, 0.0)) - (-min(record.w, 0.0)));
    float length2 = dot(direction, direction);
    // On the cut itself, or for a record without an edge, the sum vanishes:
    // the edge normal is the direction then.
    if (length2 > 0.0)
        return direction * inversesqrt(length2);
    return normal;
}

void main() {
    int nearest = 0;
    float best = recordDistance(edgesDistance[0]);
    for (int i = 1; i < EDGES; ++i) {
        float candidate = recordDistance(edgesDistance[i]);
        if (candidate <= best) {
            best = candidate;
            nearest = i;
        }
    }
    float d = min(best, edgeSize) / edgeSize;
    vec2 outwards = -recordDirection(edgesDistance[nearest]);
    fragmentColor = vec4(lighting(d, outwards, samplePictureColor()), 1.0);
}
