#pragma once

#include <QString>

#include <array>

namespace shoupai {

// One flag per permission column of 管理员, in the order the login reads them.
enum class Permission
{
    CashierCheckout,   // 收银结算
    Consumption,       // 消费管理
    GuestRegistration, // 来宾登记
    BusinessQueries,   // 营业查询
    Members,           // 会员管理
    DataClearing,      // 数据初始化
    Administration,    // 管理员设置
    MemberOpening,     // 会员开户
    MemberRecharge,    // 会员充值
    ReturnToStock,     // 退回库存
    Goods,             // 商品管理 (optional column)
    GoodsTypes,        // 商品类型 (optional column)
    Tags,              // 手牌管理
    Employees,         // 员工管理
    Backup,            // 数据备份
    Restore,           // 数据恢复
    FreeBill,          // 免单
    CancelBill,        // 撤单
    EditMember,        // 会员修改
    DeleteMember,      // 会员删除
    EditGoods,         // 营业项目修改
    DeleteGoods,       // 营业项目删除
    StockPurchase,     // 商品进货
};

constexpr int PermissionCount = 23;

// The column of 管理员 that holds a permission.
QString permissionColumn(Permission permission);
// Only 商品管理 and 商品类型 may be missing from an older database.
bool isOptionalPermission(Permission permission);

class Permissions
{
public:
    bool has(Permission permission) const { return m_flags[static_cast<int>(permission)]; }
    void set(Permission permission, bool granted)
    {
        m_flags[static_cast<int>(permission)] = granted;
    }
    static Permissions all();

private:
    std::array<bool, PermissionCount> m_flags{};
};

} // namespace shoupai
