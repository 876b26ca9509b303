#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <vector>

struct wl_output;
struct wl_registry;

namespace platform {

// The compositor's outputs (monitors): where each is and how large, in the compositor's
// coordinates, for moving the pointer to a point on the screen.
class WaylandOutputs
{
public:
    WaylandOutputs() = default;
    ~WaylandOutputs();
    WaylandOutputs(const WaylandOutputs&) = delete;
    WaylandOutputs& operator=(const WaylandOutputs&) = delete;

    // Lets go of the outputs; before the connection to the compositor closes.
    void clear();
    // Binds the global when it is an output; false for any other interface.
    bool bind(wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version);
    // The outputs' bounding box; invalid until their modes are known.
    QRect box() const;
    // `point` moved into the bounding box; unchanged while the box is unknown.
    QPoint inside(QPoint point) const;

    struct Output
    {
        wl_output* output = nullptr;
        QPoint origin;
        QSize mode;
        int scale = 1;
    };
    Output* find(wl_output* output);

private:
    std::vector<Output> outputs_;
};

} // namespace platform
