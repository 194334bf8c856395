#include "parameters/shell_settings.h"

bool usePerspective = false;
int gradientTex = 0;
bool link_iso_line_params = true;
