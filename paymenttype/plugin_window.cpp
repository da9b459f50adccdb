#include "plugin/frm_base.h"
#include "plugin/plugin_window_factory.h"

namespace pq {

TFrmBase* CreatePluginWindow(QWidget* hostPanel)
{
    return TFrmBase::CreateForm<TFrmBase>(hostPanel);
}

} // namespace pq
