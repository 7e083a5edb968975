#pragma once
// The one application-data slot that frames, mesh builders, lights and
// materials carry. The program hangs its records there; the slot keeps the
// record, so a record lives as long as the object it hangs on (or until it is
// replaced or cleared). A record may also be hung on several objects at once
// (SetSharedAppData): it then lives until the last of them lets it go.

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
    // The same with a record that other objects may carry too.
    void SetSharedAppData(std::shared_ptr<AppData> data) { appData_ = std::move(data); }
    AppData* GetAppData() const { return appData_.get(); }
    // A handle that keeps the record alive, for hanging it on another object.
    const std::shared_ptr<AppData>& GetSharedAppData() const { return appData_; }
    // The record as type T, or nullptr when the slot is empty or holds another type.
    template <class T>
    T* AppDataAs() const { return dynamic_cast<T*>(appData_.get()); }

protected:
    HasAppData() = default;
    ~HasAppData() = default;
    HasAppData(const HasAppData&) {}  // a copy never shares or clones the record
    HasAppData& operator=(const HasAppData&) { return *this; }

private:
    std::shared_ptr<AppData> appData_;
};

} // namespace corvid
