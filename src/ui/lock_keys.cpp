#include "ui/lock_keys.h"

#include <QGuiApplication>

#ifdef KESTROVA_HAVE_XKB
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

namespace kestrova::ui {

LockKeys CurrentLockKeys() {
    LockKeys keys;
#ifdef KESTROVA_HAVE_XKB
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr) return keys;
    // Indicators by name, since their bit positions differ between keymaps.
    const auto lit = [display](const char* name, bool& on) {
        Bool state = False;
        const Atom atom = XInternAtom(display, name, False);
        if (!XkbGetNamedIndicator(display, atom, nullptr, &state, nullptr, nullptr)) return false;
        on = state != False;
        return true;
    };
    const bool num = lit("Num Lock", keys.num);
    const bool caps = lit("Caps Lock", keys.caps);
    const bool scroll = lit("Scroll Lock", keys.scroll);
    keys.known = num || caps || scroll;
#endif
    return keys;
}

}  // namespace kestrova::ui
