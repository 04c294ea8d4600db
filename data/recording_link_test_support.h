// A data link that writes down every notification it receives, for tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "data_link.h"
#include "field.h"

namespace data::testing {

class RecordingLink : public TDataLink {
 public:
  std::vector<std::string> events;
  // Applied at each UpdateData: a control's pending input.
  std::function<void()> pendingInput;

  std::string Joined() const {
    std::string all;
    for (const auto& event : events) all += (all.empty() ? "" : " ") + event;
    return all;
  }
  void Forget() { events.clear(); }

 protected:
  void ActiveChanged() override { events.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { events.push_back("changed"); }
  void DataSetScrolled(int distance) override {
    events.push_back("scrolled(" + std::to_string(distance) + ")");
  }
  void LayoutChanged() override { events.push_back("layout"); }
  void EditingChanged() override { events.push_back(Editing() ? "editing" : "browsing"); }
  void RecordChanged(TField* field) override {
    events.push_back("record(" + (field ? field->FieldName() : std::string("all")) + ")");
  }
  void CheckBrowseMode() override { events.push_back("check"); }
  void UpdateData() override {
    events.push_back("update");
    if (pendingInput) {
      auto input = std::move(pendingInput);
      pendingInput = nullptr;
      input();
    }
  }
  void FocusControl(TField* field) override {
    events.push_back("focus(" + field->FieldName() + ")");
  }
};

}  // namespace data::testing
