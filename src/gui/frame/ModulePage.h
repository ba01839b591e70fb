#pragma once

class QWidget;

// What the module view and the frame know of a module's page or view: it is shown, it
// refills itself from the project, and it is told when it comes on top and when it leaves
// the top (another tab, another module). A page that holds a resource while shown (the
// Macros page holds the link open) takes it in OnActivate and gives it back in
// OnDeactivate; minimizing the window is not leaving the top.
class IModulePage {
public:
    virtual ~IModulePage() = default;
    virtual QWidget* Widget() = 0;
    // After File New and File Open.
    virtual void UpdateFromDocument() {}
    virtual void OnActivate() {}
    virtual void OnDeactivate() {}
};
