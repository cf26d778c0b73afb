// COM for the calling thread, single-threaded, for as long as the object
// lives. A thread that already runs COM in either model is fine: S_FALSE
// still counts and is balanced, RPC_E_CHANGED_MODE leaves the caller's COM
// as it is and is not undone.
#pragma once

#include <objbase.h>

class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};
