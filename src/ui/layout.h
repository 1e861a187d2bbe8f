#pragma once

#include "ui/controls.h"
#include "ui/errorbox.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>

// A picture of the artwork by its name ("runner0_a").
QPixmap artwork(const char *name);

namespace layout_detail {

template <class>
struct MemberPointer;
template <class Class, class Type>
struct MemberPointer<Type Class::*>
{
    using Window = Class;
};

} // namespace layout_detail

// Where a window keeps a control of its layout: a member (slot<&W::trackStrip>)
// or one element of a member array (slot<&W::goalPoses, 2>).
template <auto member, int index = -1>
inline constexpr auto slot = +[](typename layout_detail::MemberPointer<decltype(member)>::Window &window) -> auto & {
    if constexpr (index < 0)
        return window.*member;
    else
        return std::get<index>(window.*member);
};

// A window's layout is a table: one row per control in creation order, so that
// later controls lie over earlier ones. A row names the control as the
// original layout did (its objectName), the window's member that receives it
// and its kind, and only the properties that apply to that kind.
template <class Window>
struct LayoutRow
{
    template <class Control>
    using Slot = Control *&(*)(Window &);
    using Control = std::variant<Slot<PictureBox>, Slot<TextLabel>, Slot<FlatPanel>, Slot<SunkenBox>>;

    const char *objectName;
    Control control;
    Slot<FlatPanel> parent = nullptr; // none: the window itself
    int left = 0;
    int top = 0;
    int width = 0; // labels size themselves to their text
    int height = 0;
    BgrColour colour = NoColour;         // a panel's
    const char *text = nullptr;          // a label's text, an image's hint
    LabelFont font = {};                 // a label's
    bool visible = true;
    void (Window::*handler)() = nullptr; // an image's click, a panel's pointer move
    const char *picture = nullptr;       // an image's picture, by its name in the artwork
    bool stretched = false;              // an image scaled to fill its control
};

namespace layout_detail {

// Qt calls the handler through the guard: an error goes to the error box.
template <class Window, class Sender, class Signal>
void connectHandler(Sender *sender, Signal signal, Window &window, void (Window::*handler)())
{
    QObject::connect(sender, signal, &window, [&window, handler] { guarded([&] { (window.*handler)(); }); });
}

template <class Window>
QWidget *create(PictureBox *&image, const LayoutRow<Window> &row, QWidget *parent, Window &window)
{
    image = new PictureBox(parent);
    image->setGeometry(row.left, row.top, row.width, row.height);
    image->setPicture(artwork(row.picture));
    image->setStretch(row.stretched);
    if (row.text)
        image->setHint(QString::fromUtf8(row.text));
    if (row.handler)
        connectHandler(image, &PictureBox::clicked, window, row.handler);
    return image;
}

template <class Window>
QWidget *create(TextLabel *&label, const LayoutRow<Window> &row, QWidget *parent, Window &)
{
    label = new TextLabel(parent, row.font);
    label->move(row.left, row.top);
    label->setText(QString::fromUtf8(row.text));
    return label;
}

template <class Window>
QWidget *create(FlatPanel *&panel, const LayoutRow<Window> &row, QWidget *parent, Window &window)
{
    panel = new FlatPanel(parent, row.colour);
    panel->setGeometry(row.left, row.top, row.width, row.height);
    if (row.handler) {
        // Moves without a button held are strides too.
        panel->setMouseTracking(true);
        connectHandler(panel, &FlatPanel::mouseMoved, window, row.handler);
    }
    return panel;
}

template <class Window>
QWidget *create(SunkenBox *&box, const LayoutRow<Window> &row, QWidget *parent, Window &)
{
    box = new SunkenBox(parent);
    box->setGeometry(row.left, row.top, row.width, row.height);
    return box;
}

} // namespace layout_detail

// Makes the window's controls from its layout table.
template <class Window>
void loadLayout(Window &window, std::span<const LayoutRow<Window>> rows)
{
    for (const LayoutRow<Window> &row : rows) {
        QWidget *parent = row.parent ? static_cast<QWidget *>(row.parent(window)) : &window;
        QWidget *widget = std::visit(
            [&](auto slot) { return layout_detail::create(slot(window), row, parent, window); }, row.control);
        widget->setObjectName(QLatin1String(row.objectName));
        widget->setVisible(row.visible);
    }
}

// Whether the rows give every element of a member array its control, so that
// a runner or a ranking place added to an array cannot go without one.
// GCC cannot compare function addresses in a constant expression while
// UBSan keeps its null-pointer checks, so the sanitizer build leaves this
// check to the normal build.
template <auto member, class Window, std::size_t rowCount>
consteval bool fillsEveryElement([[maybe_unused]] const LayoutRow<Window> (&rows)[rowCount])
{
#ifdef MILTA_UBSAN
    return true;
#else
    using Array = std::remove_cvref_t<decltype(std::declval<Window &>().*member)>;
    const auto receives = [&rows](typename LayoutRow<Window>::Control control) {
        return std::ranges::any_of(rows, [&](const LayoutRow<Window> &row) { return row.control == control; });
    };
    return [&]<std::size_t... i>(std::index_sequence<i...>) {
        return (receives(slot<member, int(i)>) && ...);
    }(std::make_index_sequence<std::tuple_size_v<Array>>());
#endif
}
