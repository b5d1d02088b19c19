#pragma once

#include <cstddef>
#include <cstdint>

#include "host/export.h"
#include "host/guid.h"

// Describes a channel type: what a plug-in's GetType returns and what a child
// declaration names as the kind of the child.
struct ORVHOST_API ChannelType {
  char name[80];          // zero-terminated
  Guid typeId;            // the type's identifier
  Guid secondTypeId;      // a second identifier of the same form
  std::uint8_t hostData[8];
  std::int32_t typeFlag;
  std::int32_t hostField;
  std::int32_t typeOption;

  // Empty name, both identifiers UNSET_TYPE_ID, flags and host fields zero.
  ChannelType();
};

static_assert(offsetof(ChannelType, name) == 0);
static_assert(offsetof(ChannelType, typeId) == 80);
static_assert(offsetof(ChannelType, secondTypeId) == 96);
static_assert(offsetof(ChannelType, hostData) == 112);
static_assert(offsetof(ChannelType, typeFlag) == 120);
static_assert(offsetof(ChannelType, hostField) == 124);
static_assert(offsetof(ChannelType, typeOption) == 128);

// Declares one child of a channel: its kind, index and label.
struct ORVHOST_API ChildCreation {
  ChannelType type;
  std::int32_t childIndex;
  bool createFlagA;
  bool createFlagB;
  char label[100];        // zero-terminated
  Guid createId;
  std::uint64_t createData;
  std::int32_t createNumber;

  // A fresh record: default type with both identifiers UNSET_TYPE_ID, index -1,
  // flags false, empty label, zero createId and createData, createNumber 1.
  ChildCreation();
};

static_assert(sizeof(ChildCreation::type.name) == 80);
static_assert(sizeof(ChildCreation::label) == 100);
static_assert(offsetof(ChildCreation, childIndex) == sizeof(ChannelType));
