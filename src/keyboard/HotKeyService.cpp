// SPDX-License-Identifier: GPL-3.0-or-later
#include "HotKeyService.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>

HotKeyService &HotKeyService::shared() {
    // Kept for the life of the process; its backend goes with the application object.
    static auto *service = new HotKeyService;
    return *service;
}

HotKeyBackend *HotKeyService::backend() {
    if (!chosen_ && qGuiApp) {
        chosen_ = true;
        const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
        // Under XWayland a grab on the root window sees only keys typed into X windows; the
        // portal, where the session has one, holds the key everywhere.
        if (!x11 || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
            backend_ = makePortalHotKeys();
        if (!backend_ && x11)
            backend_ = makeX11HotKeys();
        // The X11 backend grabs on the application's own connection, which ends with it.
        qAddPostRoutine([] {
            HotKeyService &s = shared();
            s.backend_.reset();
            s.registrations_.clear();
        });
    }
    if (backend_ && !backend_->pressed)
        backend_->pressed = [this](quint64 ref) {
            this->pressed(ref);
        };
    return backend_.get();
}

bool HotKeyService::installEventHandler(EventHandler handler) {
    if (!backend())
        return false;
    handler_ = std::move(handler);
    return true;
}

void HotKeyService::removeEventHandler() {
    handler_ = nullptr;
}

quint64 HotKeyService::registerEventHotKey(quint32 keyCode, quint32 carbonFlags, EventHotKeyID id) {
    HotKeyBackend *b = backend();
    if (!b)
        return 0;
    const quint64 ref = ++lastRef_;
    if (!b->grab(ref, keyCode, carbonFlags))
        return 0;
    registrations_[ref] = id;
    return ref;
}

void HotKeyService::unregisterEventHotKey(quint64 ref) {
    if (registrations_.erase(ref) && backend_)
        backend_->ungrab(ref);
}

void HotKeyService::suspend(bool on) {
    // Never the first use: that would choose a backend only to pause it.
    if (backend_)
        backend_->suspend(on);
}

QString HotKeyService::unavailableReason() {
    if (backend())
        return {};
    return QCoreApplication::translate(
        "HotKeyService",
        "A keyboard shortcut cannot work in this session: it has neither an X server nor the "
        "desktop portal's global shortcuts; your desktop's keyboard settings can run "
        "“quillmere --clean” instead.");
}

void HotKeyService::setBackendForTesting(std::unique_ptr<HotKeyBackend> backend) {
    HotKeyService &s = shared();
    for (const auto &[ref, id] : s.registrations_)
        if (s.backend_)
            s.backend_->ungrab(ref);
    s.registrations_.clear();
    s.handler_ = nullptr;
    s.backend_ = std::move(backend);
    s.chosen_ = true;
}

void HotKeyService::pressed(quint64 ref) {
    const auto registration = registrations_.find(ref);
    if (registration == registrations_.end())
        return;
    // The identifier is taken now, as the press happens; the handler runs from the event loop, so
    // that an alert it shows never runs inside the backend's own event handling.
    QMetaObject::invokeMethod(
        qApp, [this, id = registration->second] { deliver(id); }, Qt::QueuedConnection);
}

void HotKeyService::deliver(EventHotKeyID id) {
    if (handler_)
        handler_(id);
}
