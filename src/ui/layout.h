#pragma once

#include "ui/controls.h"

#include <QString>

#include <span>
#include <variant>

// A window's layout is a table: one row per control in creation order, so
// that later controls lie over earlier ones. Each row names the window's
// member that receives the control.
template <class Form>
struct LayoutRow
{
    using Control = std::variant<TImage *Form::*, TLabel *Form::*, TPanel *Form::*, TBevel *Form::*>;
    using Handler = void (Form::*)();

    Control control;
    TPanel *Form::*parent; // nullptr: the window itself
    int left, top, width, height; // labels size themselves to their caption
    TColor colour;        // panels
    const char *text;     // a label's caption, an image's hint
    LabelFont font;       // labels
    bool visible;
    Handler handler;      // an image's click, a panel's pointer move
    const char *picture;  // an image's picture, a name in the artwork
    bool stretched = false; // an image scaled to fill its control
};

inline constexpr bool Shown = true;
inline constexpr bool Hidden = false;
inline constexpr bool Stretched = true;
inline constexpr TColor NoColour = 0;
inline constexpr LabelFont NoFont = {};

QPixmap artwork(const char *name);

namespace layout_detail {

template <class Form, class Row>
QWidget *create(TImage *&image, const Row &row, QWidget *parent, Form &form)
{
    image = new TImage(parent);
    image->setGeometry(row.left, row.top, row.width, row.height);
    image->setPicture(artwork(row.picture));
    image->setStretch(row.stretched);
    if (row.text)
        image->setHint(QString::fromUtf8(row.text));
    if (row.handler)
        QObject::connect(image, &TImage::clicked, &form, row.handler);
    return image;
}

template <class Form, class Row>
QWidget *create(TLabel *&label, const Row &row, QWidget *parent, Form &)
{
    label = new TLabel(parent, row.font);
    label->move(row.left, row.top);
    label->setCaption(QString::fromUtf8(row.text));
    return label;
}

template <class Form, class Row>
QWidget *create(TPanel *&panel, const Row &row, QWidget *parent, Form &form)
{
    panel = new TPanel(parent, row.colour);
    panel->setGeometry(row.left, row.top, row.width, row.height);
    if (row.handler) {
        // Moves without a button held are strides too.
        panel->setMouseTracking(true);
        QObject::connect(panel, &TPanel::mouseMoved, &form, row.handler);
    }
    return panel;
}

template <class Form, class Row>
QWidget *create(TBevel *&bevel, const Row &row, QWidget *parent, Form &)
{
    bevel = new TBevel(parent);
    bevel->setGeometry(row.left, row.top, row.width, row.height);
    return bevel;
}

} // namespace layout_detail

template <class Form>
void loadLayout(Form &form, std::span<const LayoutRow<Form>> rows)
{
    for (const LayoutRow<Form> &row : rows) {
        QWidget *parent = row.parent ? static_cast<QWidget *>(form.*row.parent) : &form;
        QWidget *widget = std::visit(
            [&](auto member) { return layout_detail::create(form.*member, row, parent, form); },
            row.control);
        widget->setVisible(row.visible);
    }
}
