#version 430 core
// Two instances of one triangle: together they cover the viewport.
out vec2 uv;
void main() {
    const vec2 corners[6] = vec2[6](vec2(-1, -1), vec2(1, -1), vec2(1, 1),
                                    vec2(-1, -1), vec2(1, 1), vec2(-1, 1));
    vec2 p = corners[gl_InstanceID * 3 + gl_VertexID];
    uv = p * 0.5 + 0.5;
    gl_Position = vec4(p, 0.0, 1.0);
}
