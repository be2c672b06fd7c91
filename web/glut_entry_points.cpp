// GLUT in the browser: the canvas as the window, the browser's events as
// GLUT's callbacks, its animation frames as the main loop, its timeouts as
// GLUT's timers. The pointer is reported where it is now. When the game calls
// exit(), the page's Module.quit calls fetchWebEnded: the loop, the timers and
// the input stop, the last frame stays on the canvas and the page is told
// (Module.onGameEnded).
#include "webgl_layer.h"

#include <GL/glut.h>
#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <set>

namespace {

constexpr const char* canvas = "#canvas";

struct TimerCall {
    void (*callback)(int);
    int value;
    long id;
};

struct Window {
    int width = 300;
    int height = 300;
    bool redisplay = true;
    bool ended = false;
    int pointerX = 0;
    int pointerY = 0;
    void (*display)() = nullptr;
    void (*reshape)(int, int) = nullptr;
    void (*mouse)(int, int, int, int) = nullptr;
    void (*passiveMotion)(int, int) = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    std::set<TimerCall*> timers;
};

Window window;

void frame()
{
    if (window.ended || !window.redisplay || window.display == nullptr) {
        return;
    }
    window.redisplay = false;
    window.display();
    web::webGlFlush();
}

void fireTimer(void* data)
{
    TimerCall* call = static_cast<TimerCall*>(data);
    window.timers.erase(call);
    const TimerCall copy = *call;
    delete call;
    if (!window.ended) {
        copy.callback(copy.value);
    }
}

EM_BOOL onMouseButton(int type, const EmscriptenMouseEvent* e, void*)
{
    window.pointerX = e->targetX;
    window.pointerY = e->targetY;
    if (window.ended || window.mouse == nullptr || e->button > 2) {
        return EM_FALSE;
    }
    const int state = type == EMSCRIPTEN_EVENT_MOUSEDOWN ? GLUT_DOWN : GLUT_UP;
    window.mouse(e->button, state, e->targetX, e->targetY);  // 0, 1, 2: left, middle, right, as GLUT
    return EM_FALSE;
}

EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* e, void*)
{
    window.pointerX = e->targetX;
    window.pointerY = e->targetY;
    if (!window.ended && e->buttons == 0 && window.passiveMotion != nullptr) {
        window.passiveMotion(e->targetX, e->targetY);
    }
    return EM_FALSE;
}

EM_BOOL onKeyPress(int, const EmscriptenKeyboardEvent* e, void*)
{
    if (window.ended || window.keyboard == nullptr || e->ctrlKey || e->metaKey || e->altKey ||
        e->charCode == 0 || e->charCode > 255) {
        return EM_FALSE;
    }
    window.keyboard(static_cast<unsigned char>(e->charCode), window.pointerX, window.pointerY);
    return EM_TRUE;
}

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void fetchWebEnded(int)
{
    window.ended = true;
    emscripten_cancel_main_loop();
    for (TimerCall* call : window.timers) {
        emscripten_clear_timeout(call->id);
        delete call;
    }
    window.timers.clear();
    emscripten_run_script("if (Module.onGameEnded) Module.onGameEnded();");
}

extern "C" {

void glutInit(int*, char**) {}
void glutInitWindowSize(int width, int height)
{
    window.width = width;
    window.height = height;
}
void glutInitWindowPosition(int, int) {}
void glutInitDisplayMode(unsigned int) {}

int glutCreateWindow(const char*)
{
    emscripten_set_canvas_element_size(canvas, window.width, window.height);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;  // the page must not show through what GL blends
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;  // the last frame stays after the end
    attributes.majorVersion = 1;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(canvas, &attributes);
    emscripten_webgl_make_context_current(context);
    web::webGlStart();
    emscripten_set_mousedown_callback(canvas, nullptr, EM_FALSE, onMouseButton);
    emscripten_set_mouseup_callback(canvas, nullptr, EM_FALSE, onMouseButton);
    emscripten_set_mousemove_callback(canvas, nullptr, EM_FALSE, onMouseMove);
    emscripten_set_keypress_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onKeyPress);
    return 1;
}

void glutDisplayFunc(void (*callback)()) { window.display = callback; }
void glutReshapeFunc(void (*callback)(int, int)) { window.reshape = callback; }
void glutMouseFunc(void (*callback)(int, int, int, int)) { window.mouse = callback; }
void glutPassiveMotionFunc(void (*callback)(int, int)) { window.passiveMotion = callback; }
void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) { window.keyboard = callback; }
void glutPostRedisplay() { window.redisplay = true; }
void glutSwapBuffers() { web::webGlFlush(); }

void glutTimerFunc(unsigned int ms, void (*callback)(int), int value)
{
    TimerCall* call = new TimerCall{callback, value, 0};
    call->id = emscripten_set_timeout(fireTimer, ms, call);
    window.timers.insert(call);
}

void glutMainLoop()
{
    if (window.reshape != nullptr) {
        window.reshape(window.width, window.height);
    }
    emscripten_set_main_loop(frame, 0, 1);  // never returns
}

}  // extern "C"
