#pragma once

#include "modal.h"
#include "playfolder.h"
#include "ui/tform1.h"

#include <memory>

// A race screen of its own in a fresh play folder, for each test function.
class RaceScreenFixture
{
protected:
    void openRaceScreen()
    {
        folder = std::make_unique<PlayFolder>();
        form = std::make_unique<TForm1>();
    }
    void closeRaceScreen()
    {
        form.reset();
        folder.reset();
    }

    bool shown(const QWidget *widget) const { return widget->isVisibleTo(form.get()); }

    void strides(int count)
    {
        for (int i = 0; i < count; ++i) {
            form->Panel1MouseMove();
            form->Panel2MouseMove();
        }
    }

    // A finish that ranks asks for a name: take the one offered.
    static void acceptTheName()
    {
        whenModalOpens<QDialog>([](QDialog *dialog) { dialog->accept(); });
    }

    std::unique_ptr<PlayFolder> folder;
    std::unique_ptr<TForm1> form;
};
