#include "data/DbError.h"

namespace db {

DbError::DbError(const QString &message, int code) : std::runtime_error(message.toStdString()), m_code(code)
{
}

RowChangedError::RowChangedError() : DbError(QStringLiteral("该记录已被其他用户修改或删除，列表已刷新")) {}

} // namespace db
