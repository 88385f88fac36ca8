#pragma once
// What the loader tells, and asks, whoever drives it: the window (which keeps the load phases,
// the splash and the note window) or a tool or test. Every call has a do-nothing default.

#include <string>

namespace qrl {

class TFlyer;

class TLoadObserver {
 public:
  virtual ~TLoadObserver() = default;

  // The caption text: "<title> (scanning N%)", "<title> (building page 1 - N%)", ...
  virtual void SetCaption(const std::string& text) {}
  // Called after every prepared occurrence, so that pending window events can run.
  virtual void ProcessEvents() {}
  // Whether a close was requested (the scan stops before its next block, the build before its
  // next occurrence).
  virtual bool CloseRequested() { return false; }
  // Whether building must go on despite a close request: the flyer is shown and its note has
  // unsaved changes.
  virtual bool MustFinishBuilding() { return false; }

  // The information block was read: FlyerTitle, the canvas size (IsStandardSize) and the
  // sections (creator, company) are known.
  virtual void InfoRead(TFlyer& flyer) {}
  // The note block was read: NoteLines and NoteBounds are set.
  virtual void NoteRead(TFlyer& flyer) {}
  // The scan is over; building starts (unless a close was requested).
  virtual void ScanEnded(TFlyer& flyer) {}
  // The background page and page 1 are built and prepared: time to show page 1. The observer
  // may build further pages (TFlyer::BuildPage) and rescale from here and from ProcessEvents.
  virtual void FirstPageReady(TFlyer& flyer) {}
};

}  // namespace qrl
