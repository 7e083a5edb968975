#pragma once
// The one application-data slot that frames, mesh builders, lights and
// materials carry. The program hangs its records there; the slot owns the
// record, so a record lives exactly as long as the object it hangs on (or until
// it is replaced or cleared).

#include <memory>

namespace corvid {

class AppData {
public:
    virtual ~AppData() = default;
};

class HasAppData {
public:
    // Replaces (and frees) the current record; pass nullptr to clear.
    void SetAppData(std::unique_ptr<AppData> data) { appData_ = std::move(data); }
    AppData* GetAppData() const { return appData_.get(); }
    // The record as type T, or nullptr when the slot is empty or holds another type.
    template <class T>
    T* AppDataAs() const { return dynamic_cast<T*>(appData_.get()); }

protected:
    HasAppData() = default;
    ~HasAppData() = default;
    HasAppData(const HasAppData&) {}  // a copy never shares or clones the record
    HasAppData& operator=(const HasAppData&) { return *this; }

private:
    std::unique_ptr<AppData> appData_;
};

} // namespace corvid
