#include "app/Message.h"

#include "app/ViewerConsts.h"
#include "platform/app/Dialogs.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FloatFormat.h"

std::string JoinVariants(const std::vector<Variant>& Values) {
  std::string R;
  for (const Variant& V : Values) {
    switch (V.VarType()) {
      case varSmallint:
      case varInteger:
      case varByte: R += " " + std::to_string(V.AsInteger()); break;
      case varDouble:
      case varCurrency: R += " " + FloatToStr(V.AsFloat()); break;
      case varDate: R += " " + DateToStr(V.AsDateTime()); break;
      case varString: R += " " + V.AsString(); break;
      default: break;
    }
  }
  return R;
}

bool ShowInformation(const std::vector<Variant>& Values) {
  return MessageDlg(JoinVariants(Values), mtInformation, MsgButton(mbOK)) == mrYes;
}

std::vector<Variant> ViewerInformation() {
  return {SViewerTitle, "\r", SFreeSoftwareNotice, "\r", SContactWeb, "\r",
          SContactEmail, "\r", SContactPhone, "\r", SContactTown};
}
