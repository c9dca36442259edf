# Order form ("Бланк заказа").
# Object rows: | x | y | w | h | frame | font | align | fmt | text |

template frReport_z
dataset frDBDataSet_bl
page paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0
variables document

band ReportTitle1 kind=0 top=-8 height=262
| 76 | 76 | 634 | 48 | - | A11 | LT |  | "[ADOQuery_bl."np"], ИНН / КПП [ADOQuery_bl."unnp"], ⏎  Адрес: [ADOQuery_bl."ad"],  Телефон: [ADOQuery_bl."tel"] " |
| 74 | 126 | 640 | 26 | B | A16 | LT |  | "Бланк заказа № [ADOQuery_bl."n"] от [ADOQuery_bl."dd"] года" |
| 76 | 160 | 192 | 18 | - | A11b | LT |  | "Информация о заказчике" |
| 74 | 184 | 188 | 18 | - | A11 | LM |  | "Наименование или ФИО" |
| 260 | 184 | 462 | 20 | - | AB9 | LM |  | "[ADOQuery_bl."z"], ИНН / КПП [ADOQuery_bl."unnz"]" |
| 74 | 208 | 184 | 18 | - | A11 | LM |  | "Адрес и телефон:" |
| 260 | 208 | 462 | 45 | - | AN9 | LT |  | " [ADOQuery_bl."a"]" |
| 76 | 240 | 180 | 22 | - | A11b | LT |  | "Состав заказа" |

band PageHeader1 kind=2 top=296 height=37
| 70 | 4 | 24 | 22 | LTB | A10 | CM |  | "№" |
| 94 | 4 | 314 | 22 | LTB | A10 | CM |  | "Наименование " |
| 408 | 4 | 36 | 22 | LTB | AN8 | CM |  | "Ед.изм" |
| 444 | 4 | 96 | 22 | LTB | A10 | CM |  | "Количество" |
| 540 | 4 | 96 | 22 | LTB | A10 | CM |  | "Цена" |
| 636 | 4 | 96 | 22 | LTRB | A10 | CM |  | "Сумма" |
| 70 | 26 | 24 | 11 | LB | A7 | CM |  | "1" |
| 94 | 26 | 314 | 11 | LB | A7 | CM |  | "2" |
| 408 | 26 | 36 | 11 | LB | A7 | CM |  | "3" |
| 444 | 26 | 96 | 11 | LB | A7 | CM |  | "4" |
| 540 | 26 | 96 | 11 | LB | A7 | CM |  | "5" |
| 636 | 26 | 96 | 11 | LRB | A7 | CM |  | "6" |

band MasterData1 kind=5 top=360 height=32 dataset=frDBDataSet_bl
| 70 | 0 | 24 | 32 | LB | A7 | CM | G | "[LINE#]" |
| 94 | 0 | 314 | 32 | LB | AN10 | LM |  | "[ADOQuery_bl."naz"]" |
| 408 | 0 | 36 | 32 | LB | A9 | CM |  | "[ADOQuery_bl."eu"]" |
| 444 | 0 | 96 | 32 | LB | A9 | RM | F3 | "[ADOQuery_bl."kol"]" |
| 540 | 0 | 96 | 32 | LB | A9 | RM | F2 | "[ADOQuery_bl."cen"]" |
| 636 | 0 | 96 | 32 | LRB | A9 | RM | F2 | " [lineNet]" |

band MasterFooter1 kind=6 top=420 height=155
| 540 | 0 | 96 | 18 | LB | A9 | RM | F2 | "Итого без НДС:" |
| 636 | 0 | 96 | 18 | LRB | A9 | RM | F2 | "[sum([lineNet])]" |
| 74 | 9 | 463 | 48 | - | AB10 | LT |  | "Итого к оплате по заказу: [str5]" |
| 540 | 18 | 96 | 18 | LB | A9 | RM | F2 | "Сумма НДС:" |
| 636 | 18 | 96 | 18 | LRB | A9 | RM | F2 | "[vatTotalText]" |
| 540 | 37 | 96 | 18 | LB | A9 | RM | F2 | "Всего на сумму:" |
| 636 | 37 | 96 | 18 | LRB | A9 | RM | F2 | "[sum([lineGross])]" |
| 74 | 96 | 243 | 17 | - | A10 | LT |  | "От исполнителя ___________________" |
| 460 | 96 | 215 | 17 | - | A10 | LT |  | "От заказчика  ________________" |
