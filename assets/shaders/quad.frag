#version 430 core
// The final image, unchanged: one texel per pixel when the sizes agree.
uniform sampler2D texFinal;
in vec2 uv;
layout(location = 0) out vec4 outColor;
void main() {
    outColor = texture(texFinal, uv);
}
