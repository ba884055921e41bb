#include "ppreport/core/ppCommRTTI.h"

#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/core/ppTreeNode.h"

const TraRTTI& TraTppCommunicatorRTTI() {
  static const TraRTTI Info = TraRTTIDef<TppCommunicator>("TraTppCommunicatorRTTI", TraTComponentRTTI())
                                  .Prop("UserName", &TppCommunicator::GetUserName, &TppCommunicator::SetUserName);
  return Info;
}

const TraRTTI& TraTppRelativeRTTI() {
  static const TraRTTI Info = TraRTTIDef<TppRelative>("TraTppRelativeRTTI", TraTppCommunicatorRTTI())
                                  .Prop("AllChildCount", &TppRelative::GetAllChildCount)
                                  .Prop("ChildCount", &TppRelative::GetChildCount)
                                  .Prop("ChildType", &TppRelative::ChildType, &TppRelative::SetChildType)
                                  .Prop("FreeingChildren", &TppRelative::FreeingChildren)
                                  .Prop("Index", &TppRelative::GetIndex)
                                  .Prop("OrderedChildren", &TppRelative::OrderedChildren)
                                  .Prop("Parent", &TppRelative::Parent, &TppRelative::SetParent)
                                  .Prop("Position", &TppRelative::GetPosition, &TppRelative::SetPosition);
  return Info;
}

const TraRTTI& TraTppTreeNodeRTTI() {
  using N = TppTreeNode;
  static const TraRTTI Info = TraRTTIDef<N>("TraTppTreeNodeRTTI", TraTppRelativeRTTI())
                                  .Prop("AbsoluteChildNodeCount", &N::GetAbsoluteChildNodeCount).Listed()
                                  .Prop("ChildNodeCount", &N::GetChildNodeCount).Listed()
                                  .Indexed("ChildNodes", &N::GetChildNode, {"Index"}).GetOnly().Listed()
                                  .Prop("Level", &N::GetLevel).Listed()
                                  .Prop("ParentNode", &N::GetParentNode, &N::SetParentNode).Listed()
                                  .Method("Add", &N::Add).RecordParams(false).Listed()
                                  .Method("Assign", &N::Assign, {"Source"}).Listed()
                                  .Method("CloneNode", &N::CloneNode, {"aNewParent", "aRecurse"}).Listed()
                                  .Method("GetFirstChild", &N::GetFirstChild).RecordParams(false).Listed()
                                  .Method("GetLastChild", &N::GetLastChild).RecordParams(false).Listed()
                                  .Method("GetLastChildDescendent", &N::GetLastChildDescendent).RecordParams(false).Listed()
                                  .Method("GetNext", &N::GetNext).RecordParams(false).Listed()
                                  .Method("GetNextSibling", &N::GetNextSibling).RecordParams(false).Listed()
                                  .Method("GetPrevious", &N::GetPrevious).RecordParams(false).Listed()
                                  .Method("GetPreviousSibling", &N::GetPreviousSibling).RecordParams(false).Listed();
  return Info;
}
