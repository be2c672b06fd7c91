// GLUT in the browser: the canvas as the window, the browser's events as
// GLUT's callbacks, its animation frames as the main loop, its timeouts as
// GLUT's timers. The canvas' drawing buffer is the window: the size asked for,
// made finer up to twice as fine where the screen shows the canvas with more
// device pixels (the displayed size times devicePixelRatio), always of the
// same shape; each change of it reaches the game as a reshape. The pointer is
// reported where it is now, in the buffer's pixels whatever size the page
// shows it at. A finger on the canvas is the left button and the pointer;
// when it lifts, the pointer goes back to the middle. The page's on-screen keys arrive through fetchWebKey. When the game
// calls exit(), the page's Module.quit calls fetchWebEnded: the loop, the
// timers and the input stop, the last frame stays on the canvas and the page
// is told (Module.onGameEnded). Without WebGL the page is told
// (Module.onNoWebGL) and the game does not start; so too with a broken shader
// (Module.onBrokenShader). While the context is lost the frames and the timers
// pause; on its restore the layer makes its GL objects anew and the game goes
// on, each timer with the time it had left, in the order they were due.
#include "touch.h"
#include "webgl_layer.h"

#include <GL/glut.h>
#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

constexpr const char* canvas = "#canvas";
// How much finer than the size asked for the buffer may grow.
constexpr double finestScale = 2.0;

struct TimerCall {
    void (*callback)(int);
    int value;
    long id;      // the browser's timeout; 0 while held
    double due;   // when it fires, in emscripten_get_now's milliseconds
    double left;  // while held: the milliseconds it had left
    long order;   // the order it was set in: of two due at once, the first fires first
};

struct Window {
    int width = 300;  // the drawing buffer's size
    int height = 300;
    int askedWidth = 300;  // glutInitWindowSize's
    int askedHeight = 300;
    bool redisplay = true;
    bool ended = false;
    int pointerX = 0;
    int pointerY = 0;
    web::PointerFinger finger;  // the finger that is the pointer (touch.h)
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;  // see fetchWebPrepareContext
    bool shaderStarted = false;
    void (*display)() = nullptr;
    void (*reshape)(int, int) = nullptr;
    void (*mouse)(int, int, int, int) = nullptr;
    void (*passiveMotion)(int, int) = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    std::set<TimerCall*> timers;
};

Window window;

// Sizes the drawing buffer to the canvas' displayed size in device pixels,
// kept between the size asked for and finestScale times it, in its shape.
// True when the size changed.
bool fitBuffer()
{
    double cssWidth = 0.0;
    double cssHeight = 0.0;
    emscripten_get_element_css_size(canvas, &cssWidth, &cssHeight);
    double scale = cssWidth * emscripten_get_device_pixel_ratio() / window.askedWidth;
    scale = scale < 1.0 ? 1.0 : scale > finestScale ? finestScale : scale;
    const int height = static_cast<int>(window.askedHeight * scale + 0.5);
    const int width = height * window.askedWidth / window.askedHeight;
    if (width == window.width && height == window.height) {
        return false;
    }
    window.width = width;
    window.height = height;
    emscripten_set_canvas_element_size(canvas, width, height);
    return true;
}

void frame()
{
    if (window.ended || !web::texturesUploaded() || !window.redisplay || window.display == nullptr) {
        return;
    }
    if (fitBuffer() && window.reshape != nullptr) {
        window.reshape(window.width, window.height);
    }
    window.redisplay = false;
    window.display();
    web::webGlFlush();
    static bool drawn = false;
    if (!drawn) {  // for the page's start-up check and the browser's own performance timeline
        drawn = true;
        // The animation frame it was drawn in: the images come up over a number
        // of frames that depends on the machine, and every frame after draws.
        emscripten_run_script(
            "performance.mark('fetch-first-frame', { detail: Browser.mainLoop.currentFrameNumber })");
    }
}

// While the context is lost the timers are held: no callback runs and the
// game's time stands still (what moves the dog and the bone, and the blink).
bool timersHeld = false;
long timersSet = 0;

void fireTimer(void* data);

void armTimer(TimerCall* call, double ms)
{
    call->due = emscripten_get_now() + ms;
    call->id = emscripten_set_timeout(fireTimer, ms, call);
}

void holdTimers()
{
    if (timersHeld) {
        return;  // already held: their time left stands
    }
    timersHeld = true;
    const double now = emscripten_get_now();
    for (TimerCall* call : window.timers) {
        emscripten_clear_timeout(call->id);
        call->id = 0;
        call->left = std::max(0.0, call->due - now);
    }
}

// Each held timer set again with the time it had left, soonest (then first
// set) first, so that timers due together fire in their order.
void resumeTimers()
{
    timersHeld = false;
    std::vector<TimerCall*> held(window.timers.begin(), window.timers.end());
    std::sort(held.begin(), held.end(), [](const TimerCall* a, const TimerCall* b) {
        return a->left != b->left ? a->left < b->left : a->order < b->order;
    });
    for (TimerCall* call : held) {
        armTimer(call, call->left);
    }
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

// Moves the pointer to a point given in CSS pixels from the canvas' top-left
// corner, scaled to the canvas' own pixels and kept on the canvas.
void setPointer(long cssX, long cssY)
{
    double cssWidth = 0.0;
    double cssHeight = 0.0;
    emscripten_get_element_css_size(canvas, &cssWidth, &cssHeight);
    const auto scale = [](long at, double cssSize, int size) {
        const int scaled = cssSize > 0.0 ? static_cast<int>(static_cast<double>(at) * size / cssSize) : static_cast<int>(at);
        return scaled < 0 ? 0 : scaled >= size ? size - 1 : scaled;
    };
    window.pointerX = scale(cssX, cssWidth, window.width);
    window.pointerY = scale(cssY, cssHeight, window.height);
}

void movePointer()
{
    if (!window.ended && window.passiveMotion != nullptr) {
        window.passiveMotion(window.pointerX, window.pointerY);
    }
}

void pressLeft(int state)
{
    if (!window.ended && window.mouse != nullptr) {
        window.mouse(GLUT_LEFT_BUTTON, state, window.pointerX, window.pointerY);
    }
}

EM_BOOL onMouseButton(int type, const EmscriptenMouseEvent* e, void*)
{
    setPointer(e->targetX, e->targetY);
    if (window.ended || window.mouse == nullptr || e->button > 2) {
        return EM_FALSE;
    }
    const int state = type == EMSCRIPTEN_EVENT_MOUSEDOWN ? GLUT_DOWN : GLUT_UP;
    window.mouse(e->button, state, window.pointerX, window.pointerY);  // 0, 1, 2: left, middle, right, as GLUT
    return EM_FALSE;
}

EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* e, void*)
{
    setPointer(e->targetX, e->targetY);
    if (e->buttons == 0) {
        movePointer();
    }
    return EM_FALSE;
}

// A finger down is the left button pressed there, and the pointer while it
// rests or moves; lifting it releases the button and puts the pointer back in
// the middle, so a walking dog stops. Other fingers are ignored (touch.cpp
// says which finger is the pointer). Handled touches are kept from the page:
// no scrolling, zooming or emulated click.
EM_BOOL onTouch(int type, const EmscriptenTouchEvent* e, void*)
{
    web::TouchPoint touches[32];
    const int count = e->numTouches < 32 ? e->numTouches : 32;
    for (int i = 0; i < count; ++i) {
        touches[i] = {static_cast<std::int32_t>(e->touches[i].identifier), e->touches[i].isChanged != 0,
                      e->touches[i].targetX, e->touches[i].targetY};
    }
    const web::TouchPhase phase = type == EMSCRIPTEN_EVENT_TOUCHSTART  ? web::TouchPhase::Start
                                  : type == EMSCRIPTEN_EVENT_TOUCHMOVE ? web::TouchPhase::Move
                                                                       : web::TouchPhase::End;
    const web::FingerStep step = web::followFinger(window.finger, phase, touches, count);
    if (step.action == web::FingerAction::Ignore) {
        return EM_TRUE;
    }
    setPointer(step.x, step.y);
    if (step.action == web::FingerAction::Press) {
        movePointer();
        pressLeft(GLUT_DOWN);
    } else if (step.action == web::FingerAction::Move) {
        movePointer();
    } else {
        pressLeft(GLUT_UP);
        window.pointerX = window.width / 2;
        window.pointerY = window.height / 2;
        movePointer();
    }
    return EM_TRUE;
}

// A lost context: no frames and no timers until it is back (the page keeps it restorable).
EM_BOOL onContextLost(int, const void*, void*)
{
    emscripten_pause_main_loop();
    holdTimers();
    return EM_FALSE;
}

// The context back: the layer's GL objects made anew, then the frames and the
// timers again. A shader that no longer builds stops the game where it is (the
// page says why); an ended game has no frames to go on with.
EM_BOOL onContextRestored(int, const void*, void*)
{
    if (!window.ended && web::webGlRestore()) {
        window.redisplay = true;
        emscripten_resume_main_loop();
        resumeTimers();
    }
    return EM_FALSE;
}

void sendKey(unsigned char key)
{
    if (!window.ended && window.keyboard != nullptr) {
        window.keyboard(key, window.pointerX, window.pointerY);
    }
}

EM_BOOL onKeyPress(int, const EmscriptenKeyboardEvent* e, void*)
{
    if (window.ended || window.keyboard == nullptr || e->ctrlKey || e->metaKey || e->altKey ||
        e->charCode == 0 || e->charCode > 255) {
        return EM_FALSE;
    }
    sendKey(static_cast<unsigned char>(e->charCode));
    return EM_TRUE;
}

}  // namespace

// An on-screen key: the game gets what the keyboard's key sends, with the
// pointer where it is.
extern "C" EMSCRIPTEN_KEEPALIVE void fetchWebKey(int key)
{
    if (key > 0 && key <= 255) {
        sendKey(static_cast<unsigned char>(key));
    }
}

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

// The drawing context, made and its shader started: by the page in a task of
// its own before the game starts (page.js), so that the game's start-up task
// is shorter, or else by glutCreateWindow. Once; a context that cannot be made
// leaves window.context at 0, a broken shader window.shaderStarted false (the
// page has said why).
extern "C" EMSCRIPTEN_KEEPALIVE void fetchWebPrepareContext()
{
    if (window.context > 0) {
        return;
    }
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;  // the page must not show through what GL blends
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;  // the last frame stays after the end
    attributes.majorVersion = 1;
    // Only the extension the layer draws with: asking for all of them (emscripten's
    // default) costs tens of milliseconds at start-up.
    attributes.enableExtensionsByDefault = EM_FALSE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(canvas, &attributes);
    if (context <= 0) {
        return;
    }
    window.context = context;
    emscripten_webgl_make_context_current(context);
    emscripten_webgl_enable_ANGLE_instanced_arrays(context);
    window.shaderStarted = web::webGlStart();
}

extern "C" {

void glutInit(int*, char**) {}
void glutInitWindowSize(int width, int height)
{
    window.width = window.askedWidth = width;
    window.height = window.askedHeight = height;
}
void glutInitWindowPosition(int, int) {}
void glutInitDisplayMode(unsigned int) {}

int glutCreateWindow(const char*)
{
    emscripten_set_canvas_element_size(canvas, window.width, window.height);
    fitBuffer();
    if (window.context <= 0) {
        fetchWebPrepareContext();
    }
    if (window.context <= 0) {
        // No WebGL: say so on the page and stop here, before any GL call; the
        // page stays as it is, with no exception and no "game has ended".
        emscripten_run_script("if (Module.onNoWebGL) Module.onNoWebGL();");
        emscripten_exit_with_live_runtime();
    }
    if (!window.shaderStarted) {
        emscripten_exit_with_live_runtime();  // the page says why; nothing draws
    }
    emscripten_set_webglcontextlost_callback(canvas, nullptr, EM_FALSE, onContextLost);
    emscripten_set_webglcontextrestored_callback(canvas, nullptr, EM_FALSE, onContextRestored);
    emscripten_set_mousedown_callback(canvas, nullptr, EM_FALSE, onMouseButton);
    emscripten_set_mouseup_callback(canvas, nullptr, EM_FALSE, onMouseButton);
    emscripten_set_mousemove_callback(canvas, nullptr, EM_FALSE, onMouseMove);
    emscripten_set_touchstart_callback(canvas, nullptr, EM_FALSE, onTouch);
    emscripten_set_touchmove_callback(canvas, nullptr, EM_FALSE, onTouch);
    emscripten_set_touchend_callback(canvas, nullptr, EM_FALSE, onTouch);
    emscripten_set_touchcancel_callback(canvas, nullptr, EM_FALSE, onTouch);
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
    TimerCall* call = new TimerCall{callback, value, 0, 0.0, static_cast<double>(ms), timersSet++};
    window.timers.insert(call);
    if (!timersHeld) {
        armTimer(call, ms);
    }
}

void glutMainLoop()
{
    if (window.reshape != nullptr) {
        window.reshape(window.width, window.height);
    }
    emscripten_set_main_loop(frame, 0, 1);  // never returns
}

}  // extern "C"
