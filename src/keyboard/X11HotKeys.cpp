// SPDX-License-Identifier: GPL-3.0-or-later
// Global keys on X11: passive grabs on the root window, on the application's own connection.
#include "HotKeyService.h"
#include "KeyCodes.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>
#include <array>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {

constexpr xcb_keysym_t Num_Lock = 0xff7f, Alt_L = 0xffe9, Alt_R = 0xffea, Super_L = 0xffeb,
                       Super_R = 0xffec;
constexpr quint8 BadAccess = 10;
// XKB's event kinds (the byte after the event type); its header does not compile as C++.
constexpr quint8 XkbNewKeyboardNotify = 0, XkbMapNotify = 1;

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

struct Grab {
    quint32 keyCode = 0; // virtual
    quint32 carbonFlags = 0;
    xcb_keycode_t keycode = 0; // the X key code grabbed, 0 while none
    quint16 modifiers = 0;     // the X modifiers grabbed
};

class X11HotKeys : public HotKeyBackend, public QAbstractNativeEventFilter {
public:
    X11HotKeys(xcb_connection_t *connection, xcb_window_t root)
        : connection_(connection)
        , root_(root) {
        static constexpr char xkbName[] = "XKEYBOARD";
        const Reply<xcb_query_extension_reply_t> xkb(
            xcb_query_extension_reply(connection_,
                                      xcb_query_extension(connection_, sizeof xkbName - 1, xkbName),
                                      nullptr),
            &std::free);
        if (xkb && xkb->present)
            xkbFirstEvent_ = xkb->first_event;
        readModifierMap();
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~X11HotKeys() override {
        if (auto *app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
        for (auto &[ref, grab] : grabs_)
            release(grab);
        xcb_flush(connection_);
    }

    bool grab(quint64 ref, quint32 keyCode, quint32 carbonFlags) override {
        Grab grab{keyCode, carbonFlags};
        // While suspended a combination counts as held when it can be taken; it is released
        // at once and taken again with the others.
        if (!take(grab))
            return false;
        if (suspended_)
            release(grab);
        grabs_[ref] = grab;
        return true;
    }

    void ungrab(quint64 ref) override {
        const auto it = grabs_.find(ref);
        if (it == grabs_.end())
            return;
        release(it->second);
        grabs_.erase(it);
        xcb_flush(connection_);
    }

    void suspend(bool on) override {
        if (std::exchange(suspended_, on) == on)
            return;
        if (on) {
            for (auto &[ref, grab] : grabs_)
                release(grab);
            xcb_flush(connection_);
        } else {
            takeAll();
        }
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        const quint8 type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS)
            return keyPressed(*reinterpret_cast<const xcb_key_press_event_t *>(event));
        if (type == XCB_KEY_RELEASE)
            keyReleased(*reinterpret_cast<const xcb_key_release_event_t *>(event));
        // A new keyboard or keymap: key codes and modifiers may have moved. Qt needs these
        // events too, so they are never consumed.
        if (type == XCB_MAPPING_NOTIFY ||
            (xkbFirstEvent_ && type == xkbFirstEvent_ &&
             (event->pad0 == XkbNewKeyboardNotify || event->pad0 == XkbMapNotify)))
            scheduleRegrab();
        return false;
    }

private:
    // The modifiers a grab ignores, and which X modifier Super and Alt are on this server.
    void readModifierMap() {
        numLock_ = 0;
        super_ = XCB_MOD_MASK_4;
        alt_ = XCB_MOD_MASK_1;
        const Reply<xcb_get_modifier_mapping_reply_t> map(
            xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_),
                                           nullptr),
            &std::free);
        xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection_);
        if (!map || !symbols) {
            xcb_key_symbols_free(symbols);
            return;
        }
        const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(map.get());
        const int perModifier = map->keycodes_per_modifier;
        bool superFound = false, altFound = false;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t code = codes[modifier * perModifier + i];
                if (code == 0)
                    continue;
                const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(symbols, code, 0);
                const quint16 mask = quint16(1u << modifier);
                if (keysym == Num_Lock)
                    numLock_ = mask;
                else if ((keysym == Super_L || keysym == Super_R) && !superFound)
                    super_ = mask, superFound = true;
                else if ((keysym == Alt_L || keysym == Alt_R) && !altFound)
                    alt_ = mask, altFound = true;
            }
        }
        xcb_key_symbols_free(symbols);
    }

    quint16 xModifiers(quint32 carbonFlags) const {
        quint16 mods = 0;
        if (carbonFlags & CarbonModifiers::shiftKey)
            mods |= XCB_MOD_MASK_SHIFT;
        if (carbonFlags & CarbonModifiers::controlKey)
            mods |= XCB_MOD_MASK_CONTROL;
        if (carbonFlags & CarbonModifiers::optionKey)
            mods |= alt_;
        if (carbonFlags & CarbonModifiers::cmdKey)
            mods |= super_;
        return mods;
    }

    // With and without Caps Lock and Num Lock, so that neither stops the key.
    std::vector<quint16> lockVariants() const {
        std::vector<quint16> variants{0, XCB_MOD_MASK_LOCK};
        if (numLock_)
            variants.insert(variants.end(), {numLock_, quint16(numLock_ | XCB_MOD_MASK_LOCK)});
        return variants;
    }

    // Grabs every lock variant; when any is refused, releases the ones made and fails.
    bool take(Grab &grab) {
        const auto keycode = KeyCodes::xkbKeyCode(grab.keyCode);
        if (!keycode || *keycode > 255)
            return false;
        grab.keycode = xcb_keycode_t(*keycode);
        grab.modifiers = xModifiers(grab.carbonFlags);
        std::vector<xcb_void_cookie_t> cookies;
        for (const quint16 variant : lockVariants())
            cookies.push_back(xcb_grab_key_checked(connection_, 0, root_,
                                                   quint16(grab.modifiers | variant), grab.keycode,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        bool refused = false;
        for (const xcb_void_cookie_t cookie : cookies) {
            const Reply<xcb_generic_error_t> error(xcb_request_check(connection_, cookie),
                                                   &std::free);
            if (error) {
                refused = true;
                if (error->error_code != BadAccess)
                    qWarning("X11 key grab failed with error %d", int(error->error_code));
            }
        }
        if (refused) {
            // Ungrabbing a variant that another client holds leaves that client's grab alone.
            release(grab);
            xcb_flush(connection_);
            return false;
        }
        return true;
    }

    void release(Grab &grab) {
        if (grab.keycode == 0)
            return;
        for (const quint16 variant : lockVariants())
            xcb_ungrab_key(connection_, grab.keycode, root_, quint16(grab.modifiers | variant));
        // Its release may now go to another client; the next press must count.
        down_[grab.keycode] = false;
        grab.keycode = 0;
    }

    bool keyPressed(const xcb_key_press_event_t &press) {
        const quint16 relevant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 |
                                 XCB_MOD_MASK_2 | XCB_MOD_MASK_3 | XCB_MOD_MASK_4 | XCB_MOD_MASK_5;
        const quint16 state = press.state & relevant & ~numLock_;
        for (const auto &[ref, grab] : grabs_) {
            if (grab.keycode != 0 && grab.keycode == press.detail && grab.modifiers == state) {
                // A key held down repeats: without detectable auto-repeat the server sends a
                // release and a press with the same time for each repeat, with it only
                // presses. Either way one physical press is one hot-key press.
                const bool repeat = down_[press.detail] || releasedAt_[press.detail] == press.time;
                down_[press.detail] = true;
                if (!repeat && pressed)
                    pressed(ref);
                return true;
            }
        }
        return false;
    }

    void keyReleased(const xcb_key_release_event_t &release) {
        down_[release.detail] = false;
        releasedAt_[release.detail] = release.time;
    }

    void scheduleRegrab() {
        if (regrabScheduled_)
            return;
        regrabScheduled_ = true;
        // A keymap change comes as a burst of events: grab again once, after the burst.
        QTimer::singleShot(0, qApp, [this] { regrab(); });
    }

    void regrab() {
        regrabScheduled_ = false;
        // The old modifiers are needed to release the old grabs.
        for (auto &[ref, grab] : grabs_)
            release(grab);
        readModifierMap();
        if (!suspended_)
            takeAll();
    }

    void takeAll() {
        for (auto &[ref, grab] : grabs_)
            if (!take(grab))
                qWarning("A hot key could not be grabbed again: another program took it");
        xcb_flush(connection_);
    }

    xcb_connection_t *connection_;
    xcb_window_t root_;
    quint8 xkbFirstEvent_ = 0;
    quint16 numLock_ = 0;
    quint16 super_ = XCB_MOD_MASK_4;
    quint16 alt_ = XCB_MOD_MASK_1;
    std::map<quint64, Grab> grabs_;
    bool regrabScheduled_ = false;
    bool suspended_ = false;
    // Per X key code: held down since a grabbed press, and the time of its last release.
    std::array<bool, 256> down_{};
    std::array<xcb_timestamp_t, 256> releasedAt_{};
};

} // namespace

std::unique_ptr<HotKeyBackend> makeX11HotKeys() {
    const auto *x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return nullptr;
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    if (screens.rem == 0)
        return nullptr;
    return std::make_unique<X11HotKeys>(connection, screens.data->root);
}
