# Cash book, form КО-4: the days of the period, grouped by day; each day opens with its balance, carried
# over every earlier cash order.
# Object rows: | x | y | w | h | frame | font | align | fmt | text |

template frReport_kas
dataset frDBDataSet_kas
page paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0
variables none

band ReportTitle1 kind=0 top=24 height=40
| 12 | 36 | 340 | 20 | LTRB= | A10b | CT |  | "Регистрация" |
| 352 | 36 | 384 | 20 | LTRB= | A10b | CT |  | "Сумма" |

band PageHeader1 kind=2 top=60 height=64
| 12 | 20 | 24 | 18 | LT | A8 | CT |  | "№" |
| 36 | 20 | 100 | 18 | LTR | A8 | CM |  | "Номер ордера" |
| 136 | 20 | 216 | 18 | TR | A8 | CT |  | "От кого получено или кому выдано/№уч." |
| 352 | 20 | 124 | 18 | TR | A8 | CT |  | "Приход" |
| 476 | 20 | 128 | 18 | TR | A8 | CT |  | "Расход" |
| 604 | 20 | 132 | 18 | TR | A8 | CT |  | "Остаток на конец дня" |
| 12 | 36 | 24 | 18 | LTRB | A8 | CT |  | "1" |
| 36 | 36 | 100 | 18 | LTRB | A8 | CM |  | "2" |
| 136 | 36 | 216 | 18 | LTRB | A8 | CT |  | "3" |
| 352 | 36 | 124 | 18 | LTRB | A8 | CT |  | "4" |
| 476 | 36 | 128 | 18 | LTRB | A8 | CT |  | "5" |
| 604 | 36 | 132 | 18 | LTRB | A8 | CT |  | "6" |

band GroupHeader1 kind=16 top=196 height=28 condition=[ADOTable_kassa."dd"]
| 16 | 4 | 56 | 18 | - | AN9 | LT |  | "Касса за :" |
| 76 | 4 | 108 | 18 | - | AN9 | LT | D3 | "[ADOTable_kassa."dd"]" |
| 188 | 4 | 96 | 18 | - | A10 | LT |  | "года" |
| 352 | 4 | 252 | 18 | - | AN9 | RT |  | "Остаток на начало дня:" |
| 608 | 4 | 132 | 18 | - | AN9 | RT | F2 | "[([ADOTable_kassa."srrr"]-[ADOTable_kassa."srr"])]" |

band MasterData1 kind=5 top=272 height=20 dataset=frDBDataSet_kas
| 12 | 0 | 22 | 16 | - | AN9 | LT |  | "[LINE#]" |
| 36 | 0 | 96 | 21 | - | AN9 | LT |  | "[ADOTable_kassa."nn"]" |
| 132 | 0 | 220 | 18 | - | AN9 | LT |  | "[ADOTable_kassa."k"]" |
| 352 | 0 | 124 | 18 | - | AN9 | RT | F2 | "[ADOTable_kassa."sd"]" |
| 476 | 0 | 132 | 18 | - | AN9 | RT | F2 | "[ADOTable_kassa."sk"]" |
| 608 | 0 | 132 | 18 | - | AN9 | RT | F2 | "[ADOTable_kassa."srrr"]" |

band GroupFooter1 kind=17 top=320 height=28
| 32 | 4 | 316 | 18 | - | AN9 | RT |  | "Кассир________________________ Итого за день:" |
| 352 | 4 | 124 | 18 | - | AN9 | RT | F2 | "[Sum([ADOTable_kassa."sd"])]" |
| 476 | 4 | 132 | 18 | - | AN9 | RT | F2 | "[Sum([ADOTable_kassa."sk"])]" |

band PageFooter1 kind=3 top=528 height=40
| 20 | 16 | 708 | 16 | T= | A8 | RT |  | "Лист № [Page#]" |

nobands
| 608 | 0 | 132 | 18 | - | A8 | RT | F2 | "Форма № КО-4" |
| 16 | 20 | 708 | 20 | - fill teal | A12b white | CM |  | "Кассовая книга" |
