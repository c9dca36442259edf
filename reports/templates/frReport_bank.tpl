# Book of settlements through the bank: groups g, q, m.
# Object rows: | x | y | w | h | frame | font | align | fmt | text |

template frReport_bank
dataset frDBDataSet_bank
page paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0
variables none

band ReportTitle1 kind=0 top=24 height=44
| 404 | 0 | 176 | 14 | - | A10 | LT |  | "Книга доходов и расходов" |
| 28 | 14 | 708 | 20 | - fill teal | A12b white | CM |  | "Книга учета доходов и расходов: расчеты по банку" |
| 12 | 40 | 340 | 20 | LTRB= | A10b | CT |  | "Регистрация" |
| 352 | 40 | 384 | 20 | LTRB= | A10b | CT |  | "Сумма" |

band PageHeader1 kind=2 top=60 height=64
| 12 | 20 | 24 | 18 | LT | A8 | CT |  | "№" |
| 36 | 20 | 100 | 18 | LTR | A8 | CM |  | "Дата и номер" |
| 136 | 20 | 216 | 18 | TR | A8 | CT |  | "Содержание операции" |
| 352 | 20 | 124 | 18 | TR | A8 | CT |  | "Зачислено" |
| 476 | 20 | 128 | 18 | TR | A8 | CT |  | "Списано" |
| 604 | 20 | 132 | 18 | TR | A8 | CT |  | "Разница за период" |
| 12 | 36 | 24 | 18 | LTRB | A8 | CT |  | "1" |
| 36 | 36 | 100 | 18 | LTRB | A8 | CM |  | "2" |
| 136 | 36 | 216 | 18 | LTRB | A8 | CT |  | "3" |
| 352 | 36 | 124 | 18 | LTRB | A8 | CT |  | "4" |
| 476 | 36 | 128 | 18 | LTRB | A8 | CT |  | "5" |
| 604 | 36 | 132 | 18 | LTRB | A8 | CT |  | "6" |

band GroupHeader3 kind=16 top=132 height=24 condition=[ADOQuery_bank."g"]
| 16 | 4 | 88 | 18 | LTRB | A8 | RT |  | "Год [ADOQuery_bank."g"]" |

band GroupHeader2 kind=16 top=168 height=20 condition=[ADOQuery_bank."q"]
| 16 | 0 | 88 | 18 | LTRB | AN8 | RT |  | "Квартал [ADOQuery_bank."q"]" |

band GroupHeader1 kind=16 top=196 height=20 condition=[ADOQuery_bank."m"]
| 16 | 0 | 88 | 18 | LTRB | AN8 | RT |  | "Месяц [ADOQuery_bank."m"]" |

band MasterData1 kind=5 top=272 height=20 dataset=frDBDataSet_bank
| 12 | 0 | 22 | 16 | - | A8 | LT |  | "[LINE#]" |
| 36 | 0 | 64 | 18 | - | AN8 | LT | D2 | "[ADOQuery_bank."dd"] " |
| 100 | 0 | 36 | 18 | - | A8 | LT |  | "[ADOQuery_bank."nn"]" |
| 136 | 0 | 216 | 18 | - | AN8 | LT |  | "[ADOQuery_bank."sr"]" |
| 352 | 0 | 124 | 18 | - | A8 | RT | F2 | "[ADOQuery_bank."d"]" |
| 476 | 0 | 132 | 18 | - | A8 | RT | F2 | "[ADOQuery_bank."k1"]" |

band GroupFooter1 kind=17 top=392 height=28
| 204 | 0 | 156 | 18 | T | A8 | RT |  | "Итого за месяц: " |
| 360 | 0 | 116 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery_bank."d"])]" |
| 476 | 0 | 132 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery_bank."k1"])]" |
| 608 | 0 | 128 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery_bank."r"])]" |

band GroupFooter2 kind=17 top=424 height=40
| 204 | 0 | 156 | 18 | T | A8 | RT |  | "Итого за квартал: " |
| 360 | 0 | 116 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery_bank."d"])]" |
| 476 | 0 | 132 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery_bank."k1"])]" |
| 608 | 0 | 128 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery_bank."r"])]" |

band GroupFooter4 kind=17 top=484 height=28
| 124 | 0 | 236 | 18 | LTRB | A8 | RT |  | "Всего за отчетный период [max([ADOQuery_bank."g"])] года:" |
| 360 | 0 | 116 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery_bank."d"])]" |
| 476 | 0 | 132 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery_bank."k1"])]" |
| 608 | 0 | 128 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery_bank."r"])]" |

band PageFooter1 kind=3 top=528 height=40
| 20 | 16 | 708 | 16 | T= | A8 | RT |  | "[Page#]" |
