#pragma once

#include "common/user_interaction.h"

#include <QString>

namespace tavrune {

// What a generation run needs from whoever starts it: whom to tell and ask, the
// progress window, the windows that must stay disabled while the run works, the
// yield to pending events and the cancel flag that the progress window sets.
class RunHost
{
public:
    virtual ~RunHost() = default;

    // Messages and questions of the run go here.
    virtual UserInteraction& interaction() = 0;

    // Disables the main window and the format editor and shows the progress window
    // (top-most when the main window is).
    virtual void beginRun() = 0;
    virtual void setProgressText(const QString& text) = 0;
    // Enables the windows again and removes the progress window.
    virtual void endRun() = 0;

    // Handles pending window events once; the cancel button acts only here.
    virtual void processEvents() = 0;
    virtual void resetCancelFlag() = 0;
    virtual bool cancelFlag() const = 0;
};

} // namespace tavrune
