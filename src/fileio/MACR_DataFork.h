// The data fork of a file, over a Win32 handle: the only fork this platform
// has. The file type and creator of Create are not kept.
#pragma once

#include "fileio/MACR_Fork.h"

class MACR_DataFork : public MACR_Fork {
public:
    // No handle, owning, read-only permission, empty file specification.
    MACR_DataFork();
    // Close; an I/O exception from it is dropped.
    ~MACR_DataFork() override;
    MACR_DataFork(const MACR_DataFork&) = delete;
    MACR_DataFork& operator=(const MACR_DataFork&) = delete;

    void* Handle() const override { return m_handle; }
    void SetHandle(void* handle) override;
    bool Flag() const override { return m_owns; }
    void SetFlag(bool owns) override { m_owns = owns; }
    const MACR_FileSpec& FileSpec() const override { return m_fileSpec; }
    void SetFileSpec(const char* path) override { m_fileSpec.SetPath(path); }
    const MACR_Permission& Permission() const override { return m_permission; }
    void SetPermission(const MACR_Permission& permission) override { m_permission = permission; }

    // Closes the handle when the fork owns a valid one (an error other than
    // an invalid handle throws); in every case the fork then holds no handle
    // and owns. Closing twice does nothing the second time.
    void Close() override;
    // Creates the file its file specification names, with the permission,
    // replacing an existing file; the fork owns the new handle. A handle the fork
    // already owns is closed first.
    void Create(const MACR_FourCharCode& fileType, const MACR_FourCharCode& creator) override;
    // Opens the existing file its file specification names; otherwise as Create.
    void Open() override;

private:
    void OpenWith(uint32_t disposition, int32_t line);

    void* m_handle;
    bool m_owns;
    MACR_Permission m_permission;
    MACR_FileSpec m_fileSpec;
};
