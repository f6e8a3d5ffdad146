#pragma once

// What the customer dialog calls back on the customer list after a save.
class CustomerListOwner {
 public:
  virtual ~CustomerListOwner() = default;
  // 1: a customer was added, 2: edited. The list copies the dialog's saved values.
  virtual void SyncUpdateUser(int& eUpdateMode) = 0;
};
