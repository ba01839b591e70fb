#pragma once

class QWidget;

// What the module view and the frame know of a module's page or view: it is shown, it
// refills itself from the project, it is told when it comes on top and when it leaves the
// top (another tab, another module), and it handles the commands routed to it. A page that
// holds a resource while shown (the Macros page holds the link open) takes it in
// OnActivate and gives it back in OnDeactivate; minimizing the window is not leaving the
// top. OnActivate comes again when the module is chosen again while the page is on top.
class IModulePage {
public:
    virtual ~IModulePage() = default;
    virtual QWidget* Widget() = 0;
    // After File New and File Open. By default the page refills itself from the document.
    virtual void OnInitialUpdate() { UpdateFromDocument(); }
    virtual void UpdateFromDocument() {}
    virtual void OnActivate() {}
    // The page's module was chosen (or chosen again) while the page is on top of its
    // sheet; by default the same as coming on top.
    virtual void OnModuleChosen() { OnActivate(); }
    virtual void OnDeactivate() {}
    // A page that holds the link while shown lets go of it while the link's settings are
    // being changed (Detect needs the port), and takes it again afterwards, on the port and
    // rate chosen. ReleaseLink says whether there was anything to let go of.
    virtual bool ReleaseLink() { return false; }
    virtual void RetakeLink() {}
    // The command route: the frame offers the commands it does not handle itself (the logo
    // view's, Print, Open Bitmap) to the page or view on top. A page that handles `id`
    // returns true and says whether it is enabled and checked; the others stay disabled.
    virtual bool CommandState(int id, bool* enabled, bool* checked) {
        (void)id;
        (void)enabled;
        (void)checked;
        return false;
    }
    virtual void OnCommand(int id) { (void)id; }
};
