// The raw sequence on Xlib and GLX: the display opened, a framebuffer
// configuration chosen, the window made and mapped, the 3.3 core context made
// current, glGetString, and everything released again, the display closed.
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <memory>

#include "raw_window_sequence.h"

namespace {

struct CloseDisplay {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
struct FreeX {
    void operator()(void* data) const { XFree(data); }
};
using DisplayPtr = std::unique_ptr<Display, CloseDisplay>;
template <typename T>
using XPtr = std::unique_ptr<T, FreeX>;

// Each step's X resource, released when the step's scope ends, in reverse.
struct OwnedColormap {
    Display* display;
    Colormap id;
    ~OwnedColormap() { XFreeColormap(display, id); }
};
struct OwnedWindow {
    Display* display;
    Window id;
    ~OwnedWindow() { XDestroyWindow(display, id); }
};
struct OwnedContext {
    Display* display;
    GLXContext handle;
    ~OwnedContext() {
        if (handle == nullptr) return;
        if (glXGetCurrentContext() == handle) glXMakeCurrent(display, None, nullptr);
        glXDestroyContext(display, handle);
    }
};

// A true-colour, double-buffered window configuration with depth and
// stencil, as GLFW's defaults ask for.
const int kConfigAttributes[] = {GLX_X_RENDERABLE, True, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT,
                                 GLX_RENDER_TYPE, GLX_RGBA_BIT, GLX_X_VISUAL_TYPE, GLX_TRUE_COLOR,
                                 GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, GLX_ALPHA_SIZE, 8,
                                 GLX_DEPTH_SIZE, 24, GLX_STENCIL_SIZE, 8, GLX_DOUBLEBUFFER, True,
                                 None};

const int kContextAttributes[] = {GLX_CONTEXT_MAJOR_VERSION_ARB, 3,
                                  GLX_CONTEXT_MINOR_VERSION_ARB, 3,
                                  GLX_CONTEXT_PROFILE_MASK_ARB, GLX_CONTEXT_CORE_PROFILE_BIT_ARB,
                                  GLX_CONTEXT_FLAGS_ARB, GLX_CONTEXT_FORWARD_COMPATIBLE_BIT_ARB,
                                  None};

Bool isMapOf(Display*, XEvent* event, XPointer window) {
    return event->type == MapNotify && event->xmap.window == *reinterpret_cast<Window*>(window);
}

}  // namespace

bool rawWindowSequence() {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display) return false;
    Display* const x = display.get();
    int configCount = 0;
    XPtr<GLXFBConfig> configs(glXChooseFBConfig(x, DefaultScreen(x), kConfigAttributes, &configCount));
    if (!configs || configCount < 1) return false;
    const GLXFBConfig config = configs.get()[0];
    XPtr<XVisualInfo> visual(glXGetVisualFromFBConfig(x, config));
    if (!visual) return false;

    const Window root = RootWindow(x, visual->screen);
    OwnedColormap colormap{x, XCreateColormap(x, root, visual->visual, AllocNone)};
    XSetWindowAttributes attributes{};
    attributes.colormap = colormap.id;
    attributes.event_mask = StructureNotifyMask | ExposureMask | FocusChangeMask;
    OwnedWindow window{x, XCreateWindow(x, root, 0, 0, 800, 800, 0, visual->depth, InputOutput, visual->visual,
                                    CWBorderPixel | CWColormap | CWEventMask, &attributes)};
    XStoreName(x, window.id, "HelloWorld");
    // Shown and focused, as GLFW's default window is: mapped, then given the
    // input focus once the server says it is mapped.
    XMapWindow(x, window.id);
    XEvent event;
    XIfEvent(x, &event, isMapOf, reinterpret_cast<XPointer>(&window.id));
    XSetInputFocus(x, window.id, RevertToParent, CurrentTime);

    using CreateContextAttribs = GLXContext (*)(Display*, GLXFBConfig, GLXContext, Bool, const int*);
    const auto createContextAttribs = reinterpret_cast<CreateContextAttribs>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCreateContextAttribsARB")));
    if (createContextAttribs == nullptr) return false;
    OwnedContext context{x, createContextAttribs(x, config, nullptr, True, kContextAttributes)};
    if (context.handle == nullptr || !glXMakeCurrent(x, window.id, context.handle)) return false;
    return glGetString(GL_RENDERER) != nullptr;
}
