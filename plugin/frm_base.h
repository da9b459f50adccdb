// The borderless base window of the plug-in, embedded in the host's panel. It fills the
// panel; its one child PanelMain holds every control of a derived window and is sized by
// the host through WM_PLUGIN_RESIZE. Closing it tells the host and frees it.
#pragma once

#include <QFrame>
#include <QWidget>

namespace pq {

class TFrmBase : public QWidget {
    Q_OBJECT
public:
    explicit TFrmBase(QWidget* ownerPanel = nullptr);
    ~TFrmBase() override;

    QFrame* PanelMain() const { return m_panelMain; }

    // Creation handler, run once right after construction (see CreateForm). A derived window
    // runs the base one first.
    virtual void FormCreate();
    // Close handler; a derived window runs the base one last.
    virtual void FormClose();

    // Constructs a window and runs its creation handler, as the framework does for a form.
    template <typename T, typename... A>
    static T* CreateForm(QWidget* ownerPanel, A&&... args)
    {
        T* form = new T(ownerPanel, std::forward<A>(args)...);
        form->FormCreate();
        return form;
    }

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QFrame* m_panelMain;
};

} // namespace pq
