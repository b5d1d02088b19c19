#include "host/value_channels.h"

void TextChannel::SetText(const char* text) {
  hasText_ = text != nullptr;
  text_ = text ? text : "";
}

void ValueVectorChannel::SetVectorComponent(int component, float value) {
  switch (component) {
    case 0: vector_.x = value; break;
    case 1: vector_.y = value; break;
    case 2: vector_.z = value; break;
    default: break;
  }
}
