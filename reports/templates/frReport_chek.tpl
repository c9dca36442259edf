# Sales receipt ("Товарный чек"): prices include VAT.
# Object rows: | x | y | w | h | frame | font | align | fmt | text |

template frReport_chek
dataset frDBDataSet_bl
page paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0
variables document

band ReportTitle1 kind=0 top=-8 height=142
| 70 | 62 | 640 | 26 | B | A16 | LT |  | "Товарный чек  № [ADOQuery_bl."n"] от [ADOQuery_bl."dd"] года" |
| 70 | 96 | 96 | 18 | - | A11b | LT |  | "Продавец" |
| 168 | 96 | 550 | 20 | - | AB9u | LT |  | "[ADOQuery_bl."np"] " |
| 72 | 120 | 646 | 14 | - | AB9u | LT |  | " Адрес: [ADOQuery_bl."ad"],  Телефон: [ADOQuery_bl."tel"]  ⏎ " |

band PageHeader1 kind=2 top=296 height=37
| 70 | 4 | 24 | 22 | LTB | A10 | CM |  | "№" |
| 94 | 4 | 314 | 22 | LTB | A10 | CM |  | "Наименование товара" |
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
| 540 | 0 | 96 | 18 | LB | A9 | RM | F2 | " [lineGrossPrice]" |
| 636 | 0 | 96 | 18 | LRB | A9 | RM | F2 | " [lineGross]" |

band MasterFooter1 kind=6 top=420 height=123
| 540 | 0 | 96 | 18 | LB | A9 | RM | F2 | "Итого:" |
| 636 | 0 | 96 | 18 | LRB | A9 | RM | F2 | "[sum([lineGross])]" |
| 74 | 5 | 451 | 48 | - | AB10 | LT |  | "Итого на сумму: [str5]" |
| 74 | 60 | 451 | 17 | - | A10 | LT |  | "Подпись    _______________________________________" |
