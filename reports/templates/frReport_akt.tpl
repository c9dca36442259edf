# Act of completed work ("Акт").
# Object rows: | x | y | w | h | frame | font | align | fmt | text |

template frReport_akt
dataset frDBDataSet_bl
page paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0
variables document

band ReportTitle1 kind=0 top=-8 height=274
| 70 | 62 | 640 | 26 | - | A16 | LT |  | "Акт выполненных работ № [ADOQuery_bl."n"] от [ADOQuery_bl."dd"] года" |
| 70 | 116 | 96 | 18 | - | A10b | LT |  | "Исполнитель" |
| 172 | 116 | 550 | 32 | - | AB9u | LT |  | "[ADOQuery_bl."np"], ИНН / КПП [ADOQuery_bl."unnp"],  Адрес: [ADOQuery_bl."ad"],  Телефон: [ADOQuery_bl."tel"] " |
| 172 | 148 | 550 | 30 | - | AB9u | LT |  | "Банк: [ADOQuery_bl."bank"],  Расч.счет: [ADOQuery_bl."rs"],  Кор.счет: [ADOQuery_bl."ks"],  БИК [ADOQuery_bl."buk"]" |
| 70 | 184 | 96 | 18 | - | A10b | LT |  | "Заказчик" |
| 172 | 184 | 550 | 32 | - | AB9 | LT |  | "[ADOQuery_bl."z"], ИНН / КПП [ADOQuery_bl."unnz"],  Адрес -Телефон: [ADOQuery_bl."a"]" |
| 172 | 216 | 550 | 29 | - | AB9 | LT |  | "Банк: [ADOQuery_bl."rb"]" |
| 70 | 252 | 647 | 17 | - | A9 | LT |  | "К договору № [ADOTable_jur1."np"] от [ADOTable_jur1."dp"] года" |

band PageHeader1 kind=2 top=296 height=37
| 70 | 4 | 24 | 22 | LTB | A10 | CM |  | "№" |
| 94 | 4 | 314 | 22 | LTB | A10 | CM |  | "Наименование работ" |
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

band MasterData1 kind=5 top=360 height=18 dataset=frDBDataSet_bl
| 70 | 0 | 24 | 18 | LB | A7 | CM | G | "[LINE#]" |
| 94 | 0 | 314 | 18 | LB | AN10 | LM |  | "[ADOQuery_bl."naz"]" |
| 408 | 0 | 36 | 18 | LB | A9 | CM |  | "[ADOQuery_bl."eu"]" |
| 444 | 0 | 96 | 18 | LB | A9 | RM | F3 | "[ADOQuery_bl."kol"]" |
| 540 | 0 | 96 | 18 | LB | A9 | RM | F2 | "[ADOQuery_bl."cen"]" |
| 636 | 0 | 96 | 18 | LRB | A9 | RM | F2 | " [lineNet]" |

band MasterFooter1 kind=6 top=420 height=231
| 540 | 0 | 96 | 18 | LB | A9 | RM | F2 | "Итого без НДС:" |
| 636 | 0 | 96 | 18 | LRB | A9 | RM | F2 | "[sum([lineNet])]" |
| 74 | 9 | 451 | 48 | - | AB10 | LT |  | "Всего выполнено работ на сумму: [str5]" |
| 540 | 18 | 96 | 18 | LB | A9 | RM | F2 | "Сумма НДС:" |
| 636 | 18 | 96 | 18 | LRB | A9 | RM | F2 | "[vatTotalText]" |
| 540 | 37 | 96 | 18 | LB | A9 | RM | F2 | "Всего к оплате:" |
| 636 | 37 | 96 | 18 | LRB | A9 | RM | F2 | "[sum([lineGross])]" |
| 74 | 81 | 657 | 37 | - | AB10 | LT |  | "Вышеперечисленные работы выполнены полностью и в срок. Заказчик претензий по объемам и срокам оказанных услуг не имеет." |
| 74 | 144 | 327 | 17 | - | A10 | LT |  | "Руководитель [ADOQuery_bl."np"]" |
| 400 | 144 | 330 | 16 | - | A10 | LT |  | "Руководитель [ADOQuery_bl."z"]" |
| 72 | 174 | 327 | 17 | - | A9 | LT |  | "____________________    [ADOQuery_bl."fr"]  " |
| 400 | 174 | 330 | 16 | - | A9 | LT |  | " _____________________ [ADOQuery_bl."ru"]" |
| 234 | 207 | 51 | 18 | - | A10 | RT |  | "МП" |
| 620 | 207 | 34 | 18 | - | A10 | RT |  | "МП" |
