#include "RegFileImport.h"

#include "RegKeyName.h"
#include "Registry.h"
#include "StoreConfig.h"
#include "Transaction.h"

namespace reg {

namespace {

// Applies one root's operations; the caller's transaction makes them one change.
LSTATUS ApplyRoot(Root root, const QVector<const RegFileOp*>& ops, int* line)
{
    Key current;
    QString currentPath;
    for (const RegFileOp* op : ops) {
        *line = op->line;
        LSTATUS status = ERROR_SUCCESS;
        if (op->kind == RegFileOp::DeleteTree) {
            current.reset();
            status = RegDeleteTree(RootKey(root), op->path);
            if (status == ERROR_FILE_NOT_FOUND)
                status = ERROR_SUCCESS;
        } else {
            if (!current || currentPath != op->path) {
                status = RegCreateKeyEx(RootKey(root), op->path, KEY_ALL_ACCESS, current.put());
                currentPath = op->path;
            }
            if (status == ERROR_SUCCESS && op->kind == RegFileOp::SetValue) {
                status = RegSetValueEx(current, op->name, op->type, reinterpret_cast<const BYTE*>(op->data.constData()),
                                       DWORD(op->data.size()));
            } else if (status == ERROR_SUCCESS && op->kind == RegFileOp::DeleteValue) {
                status = RegDeleteValue(current, op->name);
                if (status == ERROR_FILE_NOT_FOUND)
                    status = ERROR_SUCCESS;
            }
        }
        if (status != ERROR_SUCCESS)
            return status;
    }
    return ERROR_SUCCESS;
}

} // namespace

ImportResult ImportRegFile(const QByteArray& bytes)
{
    const RegFileContents contents = ParseRegFile(bytes);
    ImportResult result;
    result.errors = contents.errors;
    result.header = contents.header;
    for (Root root : {Root::CurrentUser, Root::LocalMachine}) {
        QVector<const RegFileOp*> ops;
        for (const RegFileOp& op : contents.ops) {
            if (op.root == root)
                ops.append(&op);
        }
        if (ops.isEmpty())
            continue;
        int line = 0;
        Transaction tx(root);
        LSTATUS status = tx.status();
        if (status == ERROR_SUCCESS)
            status = ApplyRoot(root, ops, &line);
        if (status == ERROR_SUCCESS)
            status = tx.commit();
        if (status == ERROR_SUCCESS) {
            result.applied += int(ops.size());
        } else {
            tx.rollback();
            result.rootFailed = true;
            result.errors.append({line, QStringLiteral("%1 was not changed: %2").arg(RootName(root), StoreErrorText(root, status))});
        }
    }
    return result;
}

} // namespace reg
