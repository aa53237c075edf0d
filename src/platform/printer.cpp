#include "platform/printer.h"

#include "platform/runtime_error.h"

namespace pindle::platform {

namespace {

[[noreturn]] void Refused() {
  throw RuntimeError(err::kInvalidPropertyValue, u"プロパティの値が不正です。");
}

}  // namespace

void PrinterSettings::SetScaleMode(std::int16_t mode) {
  if (mode != kScaleTwips) Refused();
}

void PrinterSettings::SetCopies(std::int16_t value) {
  if (value < 1) Refused();
  copies = value;
}

void PrinterSettings::SetOrientation(std::int16_t value) {
  if (value != kPortrait && value != kLandscape) Refused();
  orientation = value;
}

void PrinterSettings::SetCurrentX(float twips) {
  if (!(twips >= 0.0f)) Refused();
  currentXTwips = twips;
}

void PrinterSettings::SetFontSize(float points) {
  if (!(points > 0.0f && points < 1000.0f)) Refused();
  fontSize = points;
}

}  // namespace pindle::platform
