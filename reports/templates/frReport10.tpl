# Income and expense book, monthly: groups g, ds9, ds6, q, m; iterates the default data set. A tax
# year: the rows are numbered through the year, and the month (d, k), quarter (dq, kq), half-year
# (d6, k6), nine-month (d9, k9) and year (dy, ky) totals count the rows before the period, which a row
# of the query carries without printing it.
# Object rows: | x | y | w | h | frame | font | align | fmt | text |

template frReport10
dataset frDBDataSet11
page paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0
variables none

band ReportTitle1 kind=0 top=24 height=40
| 16 | 12 | 156 | 18 | - | AN8i | LT |  | "Книга учета доходов и расходов" |
| 300 | 12 | 184 | 20 | - fill white | A12b | CM |  | "1. Доходы и расходы" |

band PageHeader1 kind=2 top=80 height=92
| 12 | 0 | 724 | 20 | LTRB | A10 | CT |  | "Регистрация" |
| 12 | 20 | 24 | 54 | L | A8 | CM |  | "№" |
| 36 | 20 | 100 | 50 | LR | A8 | CM |  | "Дата и номер" |
| 136 | 20 | 348 | 50 | R | A8 | CM |  | "Содержание операции " |
| 484 | 20 | 126 | 50 | TR | AN8 | CM |  | "Доходы, учитываемые при исчислении налоговой базы" |
| 610 | 20 | 126 | 50 | TR | AN8 | CM |  | "Расходы, учитываемые при исчислении налоговой базы" |
| 12 | 72 | 24 | 18 | LTRB | A8 | CT |  | "1" |
| 36 | 72 | 100 | 18 | LTRB | A8 | CM |  | "2" |
| 136 | 72 | 348 | 18 | LTRB | A8 | CT |  | "3" |
| 484 | 72 | 126 | 18 | LTRB | A8 | CT |  | "4" |
| 610 | 72 | 126 | 18 | LTRB | A8 | CT |  | "5" |

band GroupHeader3 kind=16 top=180 height=18 condition=[ADOQuery11."g"]
| 16 | 0 | 88 | 18 | LTRB | A8 | RT |  | "Год [ADOQuery11."g"]" |

# The nine-month and half-year groups: no objects, but they nest and clear their footers.
band GroupHeader5 kind=16 top=200 height=18 condition=[ADOQuery11."ds9"]

band GroupHeader6 kind=16 top=230 height=18 condition=[ADOQuery11."ds6"]

band GroupHeader2 kind=16 top=260 height=18 condition=[ADOQuery11."q"]
| 16 | 0 | 88 | 18 | LTRB | AN8 | RT |  | "Квартал [ADOQuery11."q"]" |

band GroupHeader1 kind=16 top=308 height=18 condition=[ADOQuery11."m"]
| 16 | 0 | 88 | 18 | LTRB | AN8 | RT |  | "Месяц [ADOQuery11."m"]" |

band MasterData1 kind=5 top=360 height=25 dataset=[Нет] condition=[ADOQuery11."shown"]
| 12 | 0 | 22 | 25 | - | A8 | CT |  | "[yearLine]" |
| 36 | 0 | 68 | 25 | - | AN8 | LT | D2 | "[ADOQuery11."dd"]/" |
| 100 | 0 | 20 | 25 | - | AN8 | RT |  | "[ADOQuery11."nn"]/" |
| 120 | 0 | 24 | 25 | - | AN8 | LT |  | "[ADOQuery11."dok"]" |
| 148 | 0 | 336 | 25 | - | AN8 | LT |  | "[ADOQuery11."sr"] / [ADOQuery11."np"]" |
| 484 | 0 | 126 | 25 | - | A8 | RT | F2 | "[ADOQuery11."d"]" |
| 610 | 0 | 126 | 25 | - | A8 | RT | F2 | "[ADOQuery11."k"]" |

band GroupFooter1 kind=17 top=412 height=18
| 136 | 0 | 348 | 18 | T | A8 | RT |  | "Итого за месяц " |
| 484 | 0 | 126 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery11."d"])]" |
| 610 | 0 | 126 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery11."k"])]" |

band GroupFooter2 kind=17 top=444 height=18
| 136 | 0 | 348 | 18 | T | A8b | RT |  | "Итого за квартал: " |
| 484 | 0 | 126 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery11."dq"])]" |
| 610 | 0 | 126 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery11."kq"])]" |

band GroupFooter5 kind=17 top=468 height=18 condition=[ADOQuery11."q"] = 2
| 136 | 0 | 348 | 18 | - | A8b | RT |  | "Итого за полугодие" |
| 484 | 0 | 126 | 18 | - | A8 | RT | F2 | "[Sum([ADOQuery11."d6"])]" |
| 610 | 0 | 126 | 18 | - | A8 | RT | F2 | "[Sum([ADOQuery11."k6"])]" |

band GroupFooter6 kind=17 top=492 height=18 condition=[ADOQuery11."q"] = 3
| 136 | 0 | 348 | 18 | - | A8b | RT |  | "Итого за 9 месяцев" |
| 484 | 0 | 126 | 18 | - | A8 | RT | F2 | "[Sum([ADOQuery11."d9"])]" |
| 610 | 0 | 126 | 18 | - | A8 | RT | F2 | "[Sum([ADOQuery11."k9"])]" |

band GroupFooter4 kind=17 top=516 height=18 condition=[ADOQuery11."q"] = 4
| 136 | 0 | 348 | 18 | LTRB | A8bu | RT |  | "Итого за отчетный - налоговый период [max([ADOQuery11."g"])] года:" |
| 484 | 0 | 126 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery11."dy"])]" |
| 610 | 0 | 126 | 18 | T | A8 | RT | F2 | "[Sum([ADOQuery11."ky"])]" |

band ReportSummary1 kind=1 top=548 height=208
| 220 | 4 | 348 | 18 | - | A8b | LT |  | "Справка к разделу 1" |
| 16 | 32 | 348 | 18 | - | A8 | LT |  | "010 Сумма полученных доходов за налоговый период" |
| 432 | 32 | 126 | 18 | - | A8b | RT | F2 | "[Sum([ADOQuery11."dy"])]" |
| 16 | 56 | 348 | 18 | - | A8 | LT |  | "020 Сумма произведенных расходов за налоговый период" |
| 432 | 56 | 124 | 18 | - | A8b | RT | F2 | "[Sum([ADOQuery11."ky"])]" |
| 16 | 80 | 424 | 30 | - | A8 | LT |  | "030 Сумма разницы между суммой уплаченного минимального налога и суммой исчисленного в общем порядке налога за предыдущий налоговый период ⏎ " |
| 220 | 120 | 348 | 18 | - | A8b | LT |  | "Итого получено:" |
| 16 | 152 | 348 | 18 | - | A8 | LT |  | "040 - доходов" |
| 432 | 152 | 124 | 18 | - | A8b | RT | F2 | "[max([Sum([ADOQuery11."dy"])]-[Sum([ADOQuery11."ky"])]; 0)]" |
| 16 | 176 | 348 | 18 | - | A8 | LT |  | "041 - убытков" |
| 432 | 176 | 124 | 18 | - | A8b | RT | F2 | "[max([Sum([ADOQuery11."ky"])]-[Sum([ADOQuery11."dy"])]; 0)]" |

band PageFooter1 kind=3 top=780 height=18
| 20 | 4 | 708 | 16 | T= | A8 | RT |  | "[Page#]" |
