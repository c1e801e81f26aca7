#pragma once
// What a click on the main window's logo opens: the About box, built on its
// first showing and shown again unchanged while it is open.

namespace quenlow {

class about_box {
public:
    virtual ~about_box() = default;
    virtual void show() = 0;
};

}  // namespace quenlow
