#include "paymenttype/frm_payment_type.h"
#include "plugin/plugin_window_factory.h"

namespace pq {

TFrmBase* CreatePluginWindow(QWidget* hostPanel)
{
    return TFrmBase::CreateForm<TfrmpaymentType>(hostPanel);
}

void ReleasePluginWindowValues() { ClearWindowValues(); }

} // namespace pq
