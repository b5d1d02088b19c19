#include "host/channel_type.h"

#include <cstring>

ChannelType::ChannelType()
    : name{}, typeId(UNSET_TYPE_ID), secondTypeId(UNSET_TYPE_ID), hostData{}, typeFlag(0), hostField(0),
      typeOption(0) {}

ChildCreation::ChildCreation()
    : childIndex(-1), createFlagA(false), createFlagB(false), label{}, createId{}, createData(0), createNumber(1) {}
