#pragma once

// The type of a file: its MIME type, kept in the "mime_type" attribute when something set
// one, else guessed from the file name's extension.

#include <StorageDefs.h>

#ifndef B_MIME_TYPE_LENGTH
#define B_MIME_TYPE_LENGTH (B_ATTR_NAME_LENGTH - 15)
#endif

class BNode;

class BNodeInfo {
public:
    BNodeInfo() = default;
    // The node must stay open while the info is used.
    explicit BNodeInfo(BNode* node);
    virtual ~BNodeInfo();

    BNodeInfo(const BNodeInfo&) = delete;
    BNodeInfo& operator=(const BNodeInfo&) = delete;

    status_t SetTo(BNode* node);
    // B_NO_INIT until set to an open node, B_BAD_VALUE for a node that is not open.
    status_t InitCheck() const { return fStatus; }

    // Copies the type, NUL-terminated, into type (B_MIME_TYPE_LENGTH bytes): the attribute's
    // when it holds one that fits, else the one of the file name's extension, else
    // "application/octet-stream". B_BAD_VALUE for a null buffer; B_NO_INIT when unset.
    status_t GetType(char* type) const;
    // Stores the type in the node's attribute.
    status_t SetType(const char* type);

private:
    BNode* fNode = nullptr;
    status_t fStatus = B_NO_INIT;
};
