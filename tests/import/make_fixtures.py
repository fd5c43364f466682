"""Writes numbers.xls, a workbook as a spreadsheet program saves it: a title row above the
header, short column names, mobile numbers and postcodes stored as numbers, a date, and a
second sheet with its own header. Run with Debian's python3-xlwt; the file is committed."""
import datetime

import xlwt

book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("客户")
sheet.write(0, 0, "客户通讯录")
for c, title in enumerate(["序号", "姓名", "地址", "手机", "邮编", "备注"]):
    sheet.write(1, c, title)
sheet.write(2, 0, 1)
sheet.write(2, 1, "张三")
sheet.write(2, 2, "北京市海淀区中关村大街1号")
sheet.write(2, 3, 13811110001)
sheet.write(2, 4, 100080)
sheet.write(2, 5, 3.5)
sheet.write(3, 0, 2)
sheet.write(3, 1, "李四")
sheet.write(3, 2, "上海市浦东新区世纪大道100号")
sheet.write(3, 3, 13922220002.0)
sheet.write(3, 4, "200120")
sheet.write(3, 5, datetime.date(2024, 5, 1), xlwt.easyxf(num_format_str="YYYY-MM-DD"))
more = book.add_sheet("新客户")
for c, title in enumerate(["收件人姓名", "收件地址", "手机号码", "单位"]):
    more.write(0, c, title)
more.write(1, 0, "王五")
more.write(1, 1, "广州市天河区体育西路2号")
more.write(1, 2, 13733330003)
more.write(1, 3, "天河商贸")
book.save("numbers.xls")
