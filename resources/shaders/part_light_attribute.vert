// Twelve edge records per vertex, handed on to the fragment stage.
#ifndef EDGES
#define EDGES 2
#endif

in vec4 edge0;
in vec4 edge1;
in vec4 edge2;
in vec4 edge3;
in vec4 edge4;
in vec4 edge5;
in vec4 edge6;
in vec4 edge7;
in vec4 edge8;
in vec4 edge9;
in vec4 edge10;
in vec4 edge11;

out vec4 edgesDistance[EDGES];

void main() {
    edgesDistance[0] = edge0;
    edgesDistance[1] = edge1;
    edgesDistance[2] = edge2;
    edgesDistance[3] = edge3;
    edgesDistance[4] = edge4;
    edgesDistance[5] = edge5;
    edgesDistance[6] = edge6;
    edgesDistance[7] = edge7;
    edgesDistance[8] = edge8;
    edgesDistance[9] = edge9;
    edgesDistance[10] = edge10;
    edgesDistance[11] = edge11;
    gl_Position = vec4(partBaseTransformation(), 0.0, 1.0);
}
