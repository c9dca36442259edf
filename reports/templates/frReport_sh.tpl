# Invoice ("Счет").
# Object rows: | x | y | w | h | frame | font | align | fmt | text |

template frReport_sh
dataset frDBDataSet_bl
page paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0
variables document

band ReportTitle1 kind=0 top=3 height=318
| 72 | 59 | 83 | 18 | - | A10b | LT |  | "Получатель" |
| 155 | 59 | 584 | 18 | - | AB10b | LT |  | "[ADOQuery_bl."np"]" |
| 72 | 81 | 668 | 18 | - | AN10 | LM |  | "Адрес: [ADOQuery_bl."ad"]  Телефон: [ADOQuery_bl."tel"]" |
| 72 | 109 | 450 | 18 | - | A10 | LT |  | "Образец заполнения платежного поручения" |
| 72 | 131 | 468 | 18 | LTR | A10 | LT |  | "ИНН / КПП  " |
| 540 | 131 | 36 | 18 | T | A8 | CM |  |  |
| 576 | 131 | 162 | 18 | TRB | AN10 | LM |  | "[ADOQuery_bl."unnp"]" |
| 72 | 149 | 468 | 36 | LTR | AN10 | LT |  | "Получатель ⏎ [ADOQuery_bl."np"]" |
| 540 | 149 | 36 | 36 | TR | A10 | CB |  | "Сч.№" |
| 576 | 149 | 162 | 36 | TR | AN10 | LB |  | "[ADOQuery_bl."rs"]" |
| 72 | 185 | 468 | 36 | LTRB | AN10 | LT |  | "Банк получателя ⏎ [ADOQuery_bl."bank"]" |
| 540 | 185 | 36 | 18 | TRB | A8 | CM |  | "БИК" |
| 576 | 185 | 162 | 18 | TRB | AN10 | LM |  | "[ADOQuery_bl."buk"]" |
| 540 | 203 | 36 | 18 | TRB | A8 | CM |  | "Сч.№" |
| 576 | 203 | 162 | 18 | RB | AN10 | LM |  | "[ADOQuery_bl."ks"]" |
| 70 | 232 | 640 | 26 | - | A16 | LT |  | "Счет № [ADOQuery_bl."n"] от [ADOQuery_bl."dd"] года" |
| 72 | 268 | 83 | 18 | - | A10b | LT |  | "Плательщик" |
| 155 | 268 | 584 | 18 | - | AN10 | LT |  | "[ADOQuery_bl."z"],  ИНН / КПП [ADOQuery_bl."unnz"]" |
| 72 | 293 | 668 | 18 | - | AN10 | LM |  | "Адрес: и телефон  [ADOQuery_bl."a"]" |

band PageHeader1 kind=2 top=404 height=22
| 70 | 0 | 24 | 22 | LTB | A10 | CM |  | "№" |
| 94 | 0 | 314 | 22 | LTB | A9 | CM |  | "Наименование продукции, товара, работ" |
| 408 | 0 | 36 | 22 | LTB | AN8 | CM |  | "Ед.изм" |
| 444 | 0 | 96 | 22 | LTB | A9 | CM |  | "Количество" |
| 540 | 0 | 96 | 22 | LTB | A9 | CM |  | "Цена" |
| 636 | 0 | 96 | 22 | LTRB | A9 | CM |  | "Сумма" |

band MasterHeader1 kind=4 top=450 height=11
| 70 | 0 | 24 | 11 | LB | A7 | CM |  | "1" |
| 94 | 0 | 314 | 11 | LB | A7 | CM |  | "2" |
| 408 | 0 | 36 | 11 | LB | A7 | CM |  | "3" |
| 444 | 0 | 96 | 11 | LB | A7 | CM |  | "4" |
| 540 | 0 | 96 | 11 | LB | A7 | CM |  | "5" |
| 636 | 0 | 96 | 11 | LRB | A7 | CM |  | "6" |

band MasterData1 kind=5 top=504 height=18 dataset=frDBDataSet_bl
| 70 | 0 | 24 | 18 | LB | A7 | CM | G | "[LINE#]" |
| 94 | 0 | 314 | 18 | LB | AN9 | LM |  | "[ADOQuery_bl."naz"]" |
| 408 | 0 | 36 | 18 | LB | AN9 | CM |  | "[ADOQuery_bl."eu"]" |
| 444 | 0 | 96 | 18 | LB | A9 | RM | F3 | "[ADOQuery_bl."kol"]" |
| 540 | 0 | 96 | 18 | LB | A9 | RM | F2 | "[ADOQuery_bl."cen"]" |
| 636 | 0 | 96 | 18 | LRB | A9 | RM | F2 | " [lineNet]" |

band MasterFooter1 kind=6 top=543 height=227
| 540 | 0 | 96 | 18 | LB | A9 | RM |  | "Итого без НДС:" |
| 636 | 0 | 96 | 18 | LRB | A9 | RM | F2 | "[sum([lineNet])]" |
| 73 | 11 | 455 | 42 | - | AB10 | LT |  | "Всего наименований [count([ADOQuery_bl."kol"])] на сумму: [str5]" |
| 539 | 18 | 96 | 18 | LB | A9 | RM |  | "Сумма НДС:" |
| 636 | 18 | 96 | 18 | LRB | A9 | RM | F2 | "[vatTotalText]" |
| 539 | 36 | 96 | 18 | LB | A9 | RM |  | "Всего к оплате:" |
| 636 | 36 | 96 | 18 | LRB | A9 | RM | F2 | "[sum([lineGross])]" |
| 67 | 103 | 196 | 18 | - | A9 | LM |  | "Руководитель организации" |
| 263 | 103 | 468 | 18 | - | A10 | LM |  | "_____________________________ [ADOQuery_bl."fr"] [ADOQuery_bl."fup"]" |
| 67 | 155 | 196 | 18 | - | A9 | LM |  | "Главный бухгалтер" |
| 263 | 155 | 468 | 18 | - | A10 | LM |  | "_____________________________ [ADOQuery_bl."fb"]" |
| 103 | 204 | 232 | 18 | - | A10 | RM |  | "МП" |
