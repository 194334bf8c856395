#pragma once
// Three settings of the application shell that the parameter file stores with
// the render parameters. They live here, below the shell, so that the
// parameter file can read and write them without depending on the shell.

extern bool usePerspective;        // perspective projection; false: orthographic
extern int gradientTex;            // colour map, index into gradientTextureFiles
extern bool link_iso_line_params;  // the V isolines follow the U isolines' sliders
