#include "platform/wayland/WaylandActivation.h"

#include "platform/wayland/xdg-activation-v1-client-protocol.h"

#include <cstring>
#include <wayland-client.h>

namespace platform {

namespace {

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t /*version*/)
{
    if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0)
        *static_cast<xdg_activation_v1**>(data) = static_cast<xdg_activation_v1*>(
            wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

void onDone(void* data, xdg_activation_token_v1*, const char* token)
{
    *static_cast<QString*>(data) = QString::fromUtf8(token);
}

const xdg_activation_token_v1_listener kTokenListener{onDone};

} // namespace

WaylandActivation::WaylandActivation(const QString& display)
{
    const QByteArray name = display.toLocal8Bit();
    display_ = wl_display_connect(display.isEmpty() ? nullptr : name.constData());
    if (!display_)
        return;
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, &activation_);
    wl_display_roundtrip(display_);
}

WaylandActivation::~WaylandActivation()
{
    if (activation_)
        xdg_activation_v1_destroy(activation_);
    if (registry_)
        wl_registry_destroy(registry_);
    if (display_)
        wl_display_disconnect(display_);
}

LaunchTicket WaylandActivation::beginLaunch(const QString& name)
{
    if (!activation_)
        return {};
    QString token;
    xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(activation_);
    xdg_activation_token_v1_add_listener(request, &kTokenListener, &token);
    xdg_activation_token_v1_set_app_id(request, name.toUtf8().constData());
    xdg_activation_token_v1_commit(request);
    // The compositor answers the commit at once.
    for (int tries = 0; tries < 3 && token.isNull(); ++tries)
        if (wl_display_roundtrip(display_) < 0)
            break;
    xdg_activation_token_v1_destroy(request);
    if (token.isEmpty())
        return {};
    return {token,
            {{QStringLiteral("XDG_ACTIVATION_TOKEN"), token},
             {QStringLiteral("DESKTOP_STARTUP_ID"), token}}};
}

} // namespace platform
