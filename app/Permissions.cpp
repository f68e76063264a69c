#include "app/Permissions.h"

namespace shoupai {

QString permissionColumn(Permission permission)
{
    static const char16_t* const columns[PermissionCount] = {
        u"收银结算",   u"消费管理", u"来宾登记",     u"营业查询",     u"会员管理", u"数据初始化",
        u"管理员设置", u"会员开户", u"会员充值",     u"退回库存",     u"商品管理", u"商品类型",
        u"手牌管理",   u"员工管理", u"数据备份",     u"数据恢复",     u"免单",     u"撤单",
        u"会员修改",   u"会员删除", u"营业项目修改", u"营业项目删除", u"商品进货"};
    return QString::fromUtf16(columns[static_cast<int>(permission)]);
}

bool isOptionalPermission(Permission permission)
{
    return permission == Permission::Goods || permission == Permission::GoodsTypes;
}

Permissions Permissions::all()
{
    Permissions permissions;
    permissions.m_flags.fill(true);
    return permissions;
}

} // namespace shoupai
