// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <map>
#include <memory>

// The identifier a hot key is registered with and delivered back with: a four-character
// signature and a number.
struct EventHotKeyID {
    quint32 signature = 0;
    quint32 id = 0;
};

// One way of holding key combinations for the whole desktop: X11 key grabs, the desktop portal's
// global shortcuts, or a stand-in in tests. It knows registrations only by the service's numbers.
class HotKeyBackend {
public:
    virtual ~HotKeyBackend() = default;
    // Holds the combination (a virtual key code and CarbonModifiers bits) for `ref`; false when
    // it cannot be had, in which case nothing of it stays held.
    virtual bool grab(quint64 ref, quint32 keyCode, quint32 carbonFlags) = 0;
    virtual void ungrab(quint64 ref) = 0;
    // Lets the held combinations reach the focused window for a while (true), then holds them
    // again (false). Where holding them again could ask the user, this does nothing.
    virtual void suspend(bool) {}

    // Set by the service; the backend calls it on the main thread for each press.
    std::function<void(quint64 ref)> pressed;
};

// Global key combinations: registrations that deliver each press of their combination to the
// installed event handler, on the main thread, from the event loop, with the identifier they were
// registered with. On X11 the keys are grabbed on the root window; elsewhere the desktop portal's
// global shortcuts are used where the session bus offers them. Where neither works every
// registration fails and unavailableReason() says why. It knows nothing of shortcuts or settings.
// Main thread only.
class HotKeyService {
public:
    using EventHandler = std::function<void(EventHotKeyID)>;

    // The process's service; its backend is chosen on first use.
    static HotKeyService &shared();

    // False (and nothing installed) when this session offers no way to hold global keys.
    bool installEventHandler(EventHandler handler);
    void removeEventHandler();
    bool isEventHandlerInstalled() const { return static_cast<bool>(handler_); }

    // The registration's reference, or 0 when the combination cannot be held (another program
    // holds it, or there is no backend).
    quint64 registerEventHotKey(quint32 keyCode, quint32 carbonFlags, EventHotKeyID id);
    void unregisterEventHotKey(quint64 ref);

    // While a shortcut is being recorded: the program's own combinations go to the recorder,
    // not to their hot keys.
    void suspend(bool on);

    // Empty while global keys work; otherwise one line for the settings tab.
    QString unavailableReason();

    // Tests: the backend to use from now on (null: none at all).
    static void setBackendForTesting(std::unique_ptr<HotKeyBackend> backend);
    // Tests: hands `id` to the installed handler, as a press does.
    void deliver(EventHotKeyID id);

private:
    HotKeyBackend *backend();
    void pressed(quint64 ref);

    bool chosen_ = false;
    std::unique_ptr<HotKeyBackend> backend_;
    EventHandler handler_;
    quint64 lastRef_ = 0;
    std::map<quint64, EventHotKeyID> registrations_;
};

// The backends, each null when this session cannot use it.
std::unique_ptr<HotKeyBackend> makeX11HotKeys();
std::unique_ptr<HotKeyBackend> makePortalHotKeys();
