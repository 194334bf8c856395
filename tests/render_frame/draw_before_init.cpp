// Draws one frame with a renderer that was never initialised: fatal at once.
#include <glm/glm.hpp>

#include "gl_context.h"
#include "render/renderer.h"

int main() {
    testGLWindow();  // a context when a display is there; the check needs none
    renderer.draw(glm::mat4(1.0f), glm::mat4(1.0f), false);
    return 0;
}
