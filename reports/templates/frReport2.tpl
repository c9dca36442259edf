# Summary by typical operation: grouped by sr.
# Object rows: | x | y | w | h | frame | font | align | fmt | text |

template frReport2
dataset frDBDataSets
page paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0
variables none

band ReportTitle1 kind=0 top=24 height=44
| 404 | 0 | 176 | 14 | - | A10 | LT |  | "Книга доходов и расходов" |
| 28 | 14 | 708 | 20 | - fill teal | A12b white | CM |  | "Книга расчетов по типовым операциям" |
| 12 | 40 | 340 | 20 | LTRB= | A10b | CT |  | "Регистрация" |
| 352 | 40 | 384 | 20 | LTRB= | A10b | CT |  | "Сумма" |

band PageHeader1 kind=2 top=60 height=64
| 12 | 20 | 24 | 18 | LT | A8 | CT |  | "№" |
| 36 | 20 | 100 | 18 | LTR | A8 | CM |  | "Дата и номер" |
| 136 | 20 | 216 | 18 | TR | A8 | CT |  | "Плательщик - получатель" |
| 352 | 20 | 124 | 18 | TR | A8 | CT |  | "Зачислено" |
| 476 | 20 | 128 | 18 | TR | A8 | CT |  | "Списано" |
| 604 | 20 | 132 | 18 | TR | A8 | CT |  | "Разница за период" |
| 12 | 36 | 24 | 18 | LTRB | A8 | CT |  | "1" |
| 36 | 36 | 100 | 18 | LTRB | A8 | CM |  | "2" |
| 136 | 36 | 216 | 18 | LTRB | A8 | CT |  | "3" |
| 352 | 36 | 124 | 18 | LTRB | A8 | CT |  | "4" |
| 476 | 36 | 128 | 18 | LTRB | A8 | CT |  | "5" |
| 604 | 36 | 132 | 18 | LTRB | A8 | CT |  | "6" |

band GroupHeader3 kind=16 top=136 height=24 condition=[ADOQuerys."sr"]
| 36 | 2 | 612 | 18 | - | A10 | LT |  | "Типовая операция: [ADOQuerys."sr"]" |

band MasterData1 kind=5 top=164 height=20 dataset=frDBDataSets
| 12 | 0 | 22 | 16 | - | A8 | LT |  | "[LINE#]" |
| 36 | 0 | 66 | 18 | - | AN8 | LT | D2 | "[ADOQuerys."dd"] " |
| 102 | 0 | 38 | 18 | - | A8 | LT |  | "[ADOQuerys."nn"]/[ADOQuerys."dok"]" |
| 136 | 0 | 216 | 18 | - | AN8 | LT |  | "[ADOQuerys."k"]" |
| 352 | 0 | 124 | 18 | - | A8 | RT | F2 | "[ADOQuerys."d"]" |
| 476 | 0 | 132 | 18 | - | A8 | RT | F2 | "[ADOQuerys."k1"]" |

band GroupFooter1 kind=17 top=194 height=28
| 204 | 0 | 156 | 18 | T | A8 | RT |  | "Итого по операции : " |
| 360 | 0 | 116 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuerys."d"])]" |
| 476 | 0 | 132 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuerys."k1"])]" |
| 608 | 0 | 128 | 18 | T | A8 | RT | F2 | "[([Sum([ADOQuerys."d"])]-[Sum([ADOQuerys."k1"])])]" |

band PageFooter1 kind=3 top=528 height=40
| 20 | 16 | 708 | 16 | T= | A8 | RT |  | "[Page#]" |
