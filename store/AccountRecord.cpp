#include "store/AccountRecord.h"

#include "store/Query.h"

namespace tessavo::store {

namespace {

constexpr int kUseCountPosition = 7;

}  // namespace

AccountRecord currentRecord(const Query& query) {
    AccountRecord record;
    record.编号 = query.field(0).toLongLong();
    record.分类 = query.field(1);
    record.网址 = query.field(2);
    record.标题 = query.field(3);
    record.帐号 = query.field(4);
    record.密码 = query.field(5);
    record.备注 = query.field(6);
    if (query.fieldCount() > kUseCountPosition) record.统计 = query.field(kUseCountPosition).toLongLong();
    return record;
}

}  // namespace tessavo::store
