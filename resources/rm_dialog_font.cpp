#include "resources/rm_dialog_font.h"

#include "resources/rm_locale.h"
#include "resources/rm_strings.h"

namespace pq {

QFont RMDialogFont()
{
    return QFont(RMLoadStr(res::kDialogFontName), RMLocale().LoadInt(res::kDialogFontSize, 9));
}

} // namespace pq
