#pragma once
// A window of the program as Qt widgets, built from its form_layout: the Qt
// implementation of window_toolkit. The widget is made by load() and, once
// the user or unload() closed it, deleted; a later load() builds it anew.

#include "form_layout.h"
#include "window_toolkit.h"

#include <QPointer>
#include <QWidget>

#include <map>

namespace quenlow {

class qt_window final : public window_toolkit {
public:
    explicit qt_window(const form_layout& layout);
    ~qt_window() override;

    void attach(window_events& events) override { events_ = &events; }
    bool loaded() const override { return !window_.isNull(); }
    void load() override;
    void show() override;
    void unload() override;
    window_handle hWnd() const override;
    void set_window_caption(const std::string& utf8) override;
    twips_size outer_size() const override;
    void set_outer_size(twips_size size) override;
    void set_caption(control which, const std::string& utf8) override;
    int value(control which) const override;
    void set_value(control which, int value) override;
    list_box_control& list() override;
    void tell(const std::string& utf8) override;

    // The top-level widget, while loaded (tests, the program's entry point).
    QWidget* widget() const { return window_; }

private:
    class form;
    class list_adapter;
    void build_controls();
    void connect_control(const control_layout& entry, QWidget* widget);
    void report_resize();
    QWidget* control_widget(control which) const;

    const form_layout& layout_;
    window_events* events_ = nullptr;
    QPointer<QWidget> window_;
    std::map<control, QPointer<QWidget>> controls_;
    std::unique_ptr<list_adapter> list_;
};

}  // namespace quenlow
