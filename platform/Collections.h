#pragma once
#include "foundation/Export.h"
// MFC-shaped object root and string list.
#include "CString.h"
#include "Object.h"
#include <list>

class VELLANTS_API CStringList : public CObject {
public:
    explicit CStringList(int blockSize = 10) : m_nBlockSize(blockSize) {}
    void AddTail(const CString& text) { items_.push_back(text); }
    void RemoveAll() { items_.clear(); }
    int GetCount() const { return static_cast<int>(items_.size()); }
    bool IsEmpty() const { return items_.empty(); }
    std::list<CString>::iterator begin() { return items_.begin(); }
    std::list<CString>::iterator end() { return items_.end(); }
    std::list<CString>::const_iterator begin() const { return items_.begin(); }
    std::list<CString>::const_iterator end() const { return items_.end(); }
    const int m_nBlockSize;

private:
    std::list<CString> items_;
};
