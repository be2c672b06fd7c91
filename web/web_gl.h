// The browser's GL and GLUT: what the layer's files say to one another. The
// game reaches all of it only through the standard GL, GLU and GLUT names.
#pragma once

// Compiles the shader that does GL's fixed-function work and sets up its
// buffers. Once, with the WebGL context current (glutCreateWindow calls it).
void webGlStart();
// Sends the draws still waiting to be joined with the next ones. At the end of
// every frame (glutSwapBuffers and the frame loop call it).
void webGlFlush();
