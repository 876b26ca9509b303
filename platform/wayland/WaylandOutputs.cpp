#include "platform/wayland/WaylandOutputs.h"

#include <algorithm>
#include <cstring>
#include <wayland-client.h>

namespace platform {

namespace {

constexpr std::uint32_t kOutputVersion = 2;

WaylandOutputs::Output* outputOf(void* data, wl_output* output)
{
    return static_cast<WaylandOutputs*>(data)->find(output);
}

void onGeometry(void* data, wl_output* output, std::int32_t x, std::int32_t y, std::int32_t,
                std::int32_t, std::int32_t, const char*, const char*, std::int32_t)
{
    if (auto* o = outputOf(data, output))
        o->origin = QPoint(x, y);
}

void onMode(void* data, wl_output* output, std::uint32_t flags, std::int32_t width,
            std::int32_t height, std::int32_t)
{
    if (!(flags & WL_OUTPUT_MODE_CURRENT))
        return;
    if (auto* o = outputOf(data, output))
        o->mode = QSize(width, height);
}

void onDone(void*, wl_output*) {}

void onScale(void* data, wl_output* output, std::int32_t factor)
{
    if (auto* o = outputOf(data, output))
        o->scale = std::max(1, factor);
}

const wl_output_listener kOutputListener{onGeometry, onMode, onDone, onScale, nullptr, nullptr};

} // namespace

WaylandOutputs::~WaylandOutputs()
{
    clear();
}

void WaylandOutputs::clear()
{
    for (const Output& o : outputs_)
        wl_output_destroy(o.output);
    outputs_.clear();
}

bool WaylandOutputs::bind(wl_registry* registry, std::uint32_t name, const char* interface,
                          std::uint32_t version)
{
    if (std::strcmp(interface, wl_output_interface.name) != 0)
        return false;
    auto* output = static_cast<wl_output*>(
        wl_registry_bind(registry, name, &wl_output_interface, std::min(version, kOutputVersion)));
    outputs_.push_back(Output{output, {}, {}, 1});
    wl_output_add_listener(output, &kOutputListener, this);
    return true;
}

WaylandOutputs::Output* WaylandOutputs::find(wl_output* output)
{
    for (Output& o : outputs_)
        if (o.output == output)
            return &o;
    return nullptr;
}

QRect WaylandOutputs::box() const
{
    QRect box;
    for (const Output& o : outputs_)
        if (o.mode.isValid())
            box |= QRect(o.origin, o.mode / o.scale);
    return box;
}

QPoint WaylandOutputs::inside(QPoint point) const
{
    const QRect screen = box();
    if (!screen.isValid())
        return point;
    return QPoint(std::clamp(point.x(), screen.left(), screen.right()),
                  std::clamp(point.y(), screen.top(), screen.bottom()));
}

} // namespace platform
