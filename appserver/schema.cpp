#include "appserver/schema.h"

#include <algorithm>

namespace pq {

QStringList SchemaStatements()
{
    return {
        QStringLiteral("create table if not exists tbhsdwda ("
                       "f_hsdwh varchar(4) not null primary key, "
                       "f_hsdwmc varchar(60))"),
        QStringLiteral("create table if not exists tbzyda ("
                       "f_zybm varchar(255) not null primary key, "
                       "f_zymc varchar(40))"),
        QStringLiteral("create table if not exists tbZffs ("
                       "f_Zffsbm varchar(4) not null unique, "
                       "f_Zffsmc varchar(150), "
                       "f_zdfkhsdwh varchar(4))"),
    };
}

QStringList DemoDataStatements()
{
    return {
        QStringLiteral("insert into tbhsdwda(f_hsdwh,f_hsdwmc) values('0001','集团总部')"),
        QStringLiteral("insert into tbhsdwda(f_hsdwh,f_hsdwmc) values('0002','华东分公司')"),
        QStringLiteral("insert into tbhsdwda(f_hsdwh,f_hsdwmc) values('0003','华南分公司')"),
        QStringLiteral("insert into tbhsdwda(f_hsdwh,f_hsdwmc) values('0101','门诊收费处')"),
        QStringLiteral("insert into tbzyda(f_zybm,f_zymc) values('0001','张晓明')"),
        QStringLiteral("insert into tbzyda(f_zybm,f_zymc) values('0002','李红')"),
        QStringLiteral("insert into tbzyda(f_zybm,f_zymc) values('0003','王建国')"),
        QStringLiteral("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('01','现金','0001')"),
        QStringLiteral("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('02','支票','0001')"),
        QStringLiteral("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('03','银行转账','0002')"),
        QStringLiteral("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('04','银联卡','0003')"),
        QStringLiteral("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('05','医保统筹','0101')"),
        QStringLiteral("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('06','微信支付',' ')"),
        QStringLiteral("insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) values('07','支付宝','')"),
    };
}

QString DemoRowsStatement(int count)
{
    count = std::clamp(count, 1, 8999);
    return QStringLiteral(
        "insert into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) "
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
        "select cast(1000 + i as varchar(4)), '演示支付方式' || cast(i as varchar(10)), "
        "case i % 4 when 0 then '0001' when 1 then '0002' when 2 then '0003' else '0101' end "
        "from n where not exists (select 1 from tbZffs z where z.f_Zffsbm = cast(1000 + n.i as varchar(4)))")
        .arg(count);
}

QString DemoOperatorCode() { return QStringLiteral("0001"); }

} // namespace pq
