# Book of income and expenses in the FNS form of 2024: section I over the quarterly book's data set
# and groups (g, ds9, ds6, q), the reference lines 010-041, and sections II-V with their headings. A
# tax year, as the quarterly book: rows numbered through the year, cumulative totals from 1 January.
# Object rows: | x | y | w | h | frame | font | align | fmt | text |

template frReport_kudir
dataset frDBDataSet11
page paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0
variables none

# Section I's heading opens the book; its column headings head every page of its rows, each row
# closed on every side.
band ReportTitle1 kind=0 top=24 height=30
| 300 | 4 | 184 | 20 | - | A12b | CM |  | "I. Доходы и расходы" |

band MasterHeader1 kind=4 top=60 height=98 repeat
| 12 | 0 | 472 | 20 | LTRB | A10 | CM |  | "Регистрация" |
| 484 | 0 | 252 | 20 | LTRB | A10 | CM |  | "Сумма" |
| 12 | 20 | 24 | 60 | LRB | A8 | CM |  | "№ п/п" |
| 36 | 20 | 100 | 60 | RB | A8 | CM |  | "Дата и номер первичного документа" |
| 136 | 20 | 348 | 60 | RB | A8 | CM |  | "Содержание операции" |
| 484 | 20 | 126 | 60 | RB | AN8 | CM |  | "Доходы, учитываемые при исчислении налоговой базы" |
| 610 | 20 | 126 | 60 | RB | AN8 | CM |  | "Расходы, учитываемые при исчислении налоговой базы" |
| 12 | 80 | 24 | 18 | LRB | A8 | CM |  | "1" |
| 36 | 80 | 100 | 18 | RB | A8 | CM |  | "2" |
| 136 | 80 | 348 | 18 | RB | A8 | CM |  | "3" |
| 484 | 80 | 126 | 18 | RB | A8 | CM |  | "4" |
| 610 | 80 | 126 | 18 | RB | A8 | CM |  | "5" |

# The year, half-year, nine-month and quarter groups print nothing themselves: they close the totals.
band GroupHeader1 kind=16 top=180 height=18 condition=[ADOQuery11."g"]

band GroupHeader3 kind=16 top=220 height=18 condition=[ADOQuery11."ds9"]

band GroupHeader4 kind=16 top=260 height=18 condition=[ADOQuery11."ds6"]

band GroupHeader2 kind=16 top=304 height=18 condition=[ADOQuery11."q"]

band MasterData1 kind=5 top=388 height=18 dataset=frDBDataSet11 condition=[ADOQuery11."shown"]
| 12 | 0 | 24 | 18 | LTRB | A8 | CT |  | "[yearLine]" |
| 36 | 0 | 100 | 18 | TRB | AN8 | LT |  | "[ADOQuery11."dd"] № [ADOQuery11."nn"] [ADOQuery11."dok"]" |
| 136 | 0 | 348 | 18 | TRB | AN8 | LT |  | "[ADOQuery11."sr"] / [ADOQuery11."np"]" |
| 484 | 0 | 126 | 18 | TRB | A8 | RT | F2 | "[ADOQuery11."d"]" |
| 610 | 0 | 126 | 18 | TRB | A8 | RT | F2 | "[ADOQuery11."k"]" |

# The quarter in Roman figures: plural() takes its first form at 1, so q, q - 1 and q - 2 pick I, II, III, else IV.
band GroupFooter2 kind=17 top=496 height=18
| 12 | 0 | 472 | 18 | LTRB | A8b | LM |  | "Итого за [plural([max([ADOQuery11."q"])]; 'I'; plural([max([ADOQuery11."q"])] - 1; 'II'; plural([max([ADOQuery11."q"])] - 2; 'III'; 'IV'; 'IV'); plural([max([ADOQuery11."q"])] - 2; 'III'; 'IV'; 'IV')); plural([max([ADOQuery11."q"])] - 1; 'II'; plural([max([ADOQuery11."q"])] - 2; 'III'; 'IV'; 'IV'); plural([max([ADOQuery11."q"])] - 2; 'III'; 'IV'; 'IV')))] квартал" |
| 484 | 0 | 126 | 18 | TRB | A8b | RM | F2 | "[Sum([ADOQuery11."dq"])]" |
| 610 | 0 | 126 | 18 | TRB | A8b | RM | F2 | "[Sum([ADOQuery11."kq"])]" |

band GroupFooter1 kind=17 top=560 height=18 condition=[ADOQuery11."q"] = 2
| 12 | 0 | 472 | 18 | LTRB | A8b | LM |  | "Итого за полугодие" |
| 484 | 0 | 126 | 18 | TRB | A8b | RM | F2 | "[Sum([ADOQuery11."d6"])]" |
| 610 | 0 | 126 | 18 | TRB | A8b | RM | F2 | "[Sum([ADOQuery11."k6"])]" |

band GroupFooter3 kind=17 top=600 height=18 condition=[ADOQuery11."q"] = 3
| 12 | 0 | 472 | 18 | LTRB | A8b | LM |  | "Итого за 9 месяцев" |
| 484 | 0 | 126 | 18 | TRB | A8b | RM | F2 | "[Sum([ADOQuery11."d9"])]" |
| 610 | 0 | 126 | 18 | TRB | A8b | RM | F2 | "[Sum([ADOQuery11."k9"])]" |

band GroupFooter4 kind=17 top=664 height=18 condition=[ADOQuery11."q"] = 4
| 12 | 0 | 472 | 18 | LTRB | A8b | LM |  | "Итого за год" |
| 484 | 0 | 126 | 18 | TRB | A8b | RM | F2 | "[Sum([ADOQuery11."dy"])]" |
| 610 | 0 | 126 | 18 | TRB | A8b | RM | F2 | "[Sum([ADOQuery11."ky"])]" |

# Line 030 is left for the hand: the program keeps no minimum tax of the year before.
band ReportSummary1 kind=1 top=732 height=236
| 12 | 14 | 724 | 20 | - | A10b | CM |  | "Справка к разделу I" |
| 12 | 44 | 520 | 18 | LTRB | A8 | CM |  | "Наименование показателя" |
| 532 | 44 | 60 | 18 | TRB | A8 | CM |  | "Код строки" |
| 592 | 44 | 144 | 18 | TRB | A8 | CM |  | "Сумма" |
| 12 | 62 | 520 | 18 | LRB | A8 | LM |  | "Сумма полученных доходов за налоговый период" |
| 532 | 62 | 60 | 18 | RB | A8 | CM |  | "010" |
| 592 | 62 | 144 | 18 | RB | A8 | RM | F2 | "[Sum([ADOQuery11."dy"])]" |
| 12 | 80 | 520 | 18 | LRB | A8 | LM |  | "Сумма произведенных расходов за налоговый период" |
| 532 | 80 | 60 | 18 | RB | A8 | CM |  | "020" |
| 592 | 80 | 144 | 18 | RB | A8 | RM | F2 | "[Sum([ADOQuery11."ky"])]" |
| 12 | 98 | 520 | 40 | LRB | A8 | LM |  | "Сумма разницы между суммой уплаченного минимального налога и суммой налога, исчисленной в общем порядке, за предыдущий налоговый период" |
| 532 | 98 | 60 | 40 | RB | A8 | CM |  | "030" |
| 592 | 98 | 144 | 40 | RB | A8 | RM |  |  |
| 12 | 138 | 520 | 18 | LRB | A8b | LM |  | "Итого получено:" |
| 532 | 138 | 60 | 18 | RB | A8 | CM |  |  |
| 592 | 138 | 144 | 18 | RB | A8 | RM |  |  |
| 12 | 156 | 520 | 18 | LRB | A8 | LM |  | "доходов (код стр. 010 - код стр. 020 - код стр. 030)" |
| 532 | 156 | 60 | 18 | RB | A8 | CM |  | "040" |
| 592 | 156 | 144 | 18 | RB | A8b | RM | F2 | "[max([Sum([ADOQuery11."dy"])]-[Sum([ADOQuery11."ky"])]; 0)]" |
| 12 | 174 | 520 | 18 | LRB | A8 | LM |  | "убытков (код стр. 020 + код стр. 030 - код стр. 010)" |
| 532 | 174 | 60 | 18 | RB | A8 | CM |  | "041" |
| 592 | 174 | 144 | 18 | RB | A8b | RM | F2 | "[max([Sum([ADOQuery11."ky"])]-[Sum([ADOQuery11."dy"])]; 0)]" |

# Sections II-V: the program keeps no fixed assets, losses of past years, insurance payments or
# trade fee, so each prints its heading over an empty table. Each band is taller than what a page
# holds under another section, so every section opens a page.
band ReportSummary2 kind=1 top=1000 height=900
| 12 | 4 | 724 | 48 | - | A10b | CM |  | "II. Расчет расходов на приобретение (сооружение, изготовление) основных средств и на приобретение (создание самим налогоплательщиком) нематериальных активов, учитываемых при исчислении налоговой базы по налогу за отчетный (налоговый) период" |
| 12 | 52 | 20 | 180 | LTRB | AN7 | CM |  | "№ п/п" |
| 32 | 52 | 70 | 180 | TRB | AN7 | CM |  | "Наименование объекта основных средств или нематериальных активов" |
| 102 | 52 | 44 | 180 | TRB | AN7 | CM |  | "Дата оплаты объекта" |
| 146 | 52 | 44 | 180 | TRB | AN7 | CM |  | "Дата подачи документов на государственную регистрацию" |
| 190 | 52 | 44 | 180 | TRB | AN7 | CM |  | "Дата ввода в эксплуатацию (принятия к учету)" |
| 234 | 52 | 44 | 180 | TRB | AN7 | CM |  | "Первоначальная стоимость (руб.)" |
| 278 | 52 | 38 | 180 | TRB | AN7 | CM |  | "Срок полезного использования (лет)" |
| 316 | 52 | 44 | 180 | TRB | AN7 | CM |  | "Остаточная стоимость (руб.)" |
| 360 | 52 | 38 | 180 | TRB | AN7 | CM |  | "Количество кварталов эксплуатации в налоговом периоде" |
| 398 | 52 | 42 | 180 | TRB | AN7 | CM |  | "Доля стоимости, принимаемая в расходы за налоговый период (%)" |
| 440 | 52 | 42 | 180 | TRB | AN7 | CM |  | "Доля стоимости, принимаемая в расходы за каждый квартал (%)" |
| 482 | 52 | 50 | 180 | TRB | AN7 | CM |  | "Сумма расходов за каждый квартал (руб.) (гр. 6 или гр. 8 х гр. 11 / 100)" |
| 532 | 52 | 50 | 180 | TRB | AN7 | CM |  | "Включено в расходы за налоговый период (руб.) (гр. 12 х гр. 9)" |
| 582 | 52 | 50 | 180 | TRB | AN7 | CM |  | "Включено в расходы за предыдущие налоговые периоды (руб.)" |
| 632 | 52 | 56 | 180 | TRB | AN7 | CM |  | "Оставшаяся часть расходов, подлежащая списанию в последующих налоговых периодах (руб.)" |
| 688 | 52 | 48 | 180 | TRB | AN7 | CM |  | "Дата выбытия (реализации) объекта" |
| 12 | 232 | 20 | 14 | LRB | AN7 | CM |  | "1" |
| 32 | 232 | 70 | 14 | RB | AN7 | CM |  | "2" |
| 102 | 232 | 44 | 14 | RB | AN7 | CM |  | "3" |
| 146 | 232 | 44 | 14 | RB | AN7 | CM |  | "4" |
| 190 | 232 | 44 | 14 | RB | AN7 | CM |  | "5" |
| 234 | 232 | 44 | 14 | RB | AN7 | CM |  | "6" |
| 278 | 232 | 38 | 14 | RB | AN7 | CM |  | "7" |
| 316 | 232 | 44 | 14 | RB | AN7 | CM |  | "8" |
| 360 | 232 | 38 | 14 | RB | AN7 | CM |  | "9" |
| 398 | 232 | 42 | 14 | RB | AN7 | CM |  | "10" |
| 440 | 232 | 42 | 14 | RB | AN7 | CM |  | "11" |
| 482 | 232 | 50 | 14 | RB | AN7 | CM |  | "12" |
| 532 | 232 | 50 | 14 | RB | AN7 | CM |  | "13" |
| 582 | 232 | 50 | 14 | RB | AN7 | CM |  | "14" |
| 632 | 232 | 56 | 14 | RB | AN7 | CM |  | "15" |
| 688 | 232 | 48 | 14 | RB | AN7 | CM |  | "16" |
| 12 | 246 | 724 | 18 | LRB | A8 | LM |  |  |
| 12 | 264 | 724 | 18 | LRB | A8b | LM |  | "Итого за отчетный (налоговый) период" |

band ReportSummary3 kind=1 top=1920 height=900
| 12 | 4 | 724 | 34 | - | A10b | CM |  | "III. Расчет суммы убытка, уменьшающей налоговую базу по налогу, уплачиваемому в связи с применением упрощенной системы налогообложения" |
| 12 | 44 | 520 | 30 | LTRB | A8 | CM |  | "Наименование показателя" |
| 532 | 44 | 60 | 30 | TRB | A8 | CM |  | "Код строки" |
| 592 | 44 | 144 | 30 | TRB | A8 | CM |  | "Значение показателя" |
| 12 | 74 | 520 | 14 | LRB | A8 | CM |  | "1" |
| 532 | 74 | 60 | 14 | RB | A8 | CM |  | "2" |
| 592 | 74 | 144 | 14 | RB | A8 | CM |  | "3" |
| 12 | 88 | 520 | 18 | LRB | A8 | LM |  |  |
| 532 | 88 | 60 | 18 | RB | A8 | CM |  |  |
| 592 | 88 | 144 | 18 | RB | A8 | RM |  |  |

band ReportSummary4 kind=1 top=2840 height=900
| 12 | 4 | 724 | 58 | - | A10b | CM |  | "IV. Расходы, предусмотренные пунктом 3.1 статьи 346.21 Налогового кодекса Российской Федерации, уменьшающие сумму налога, уплачиваемого в связи с применением упрощенной системы налогообложения (авансовых платежей по налогу) (заполняется налогоплательщиками, выбравшими в качестве объекта налогообложения доходы)" |
| 12 | 64 | 24 | 100 | LTRB | AN7 | CM |  | "№ п/п" |
| 36 | 64 | 90 | 100 | TRB | AN7 | CM |  | "Дата и номер первичного документа" |
| 126 | 64 | 110 | 100 | TRB | AN7 | CM |  | "Период, за который произведена уплата страховых взносов, выплата пособий" |
| 236 | 64 | 420 | 100 | TRB | AN7 | CM |  | "Сумма страховых взносов, пособий и платежей, уменьшающая сумму налога (руб.)" |
| 656 | 64 | 80 | 100 | TRB | AN7 | CM |  | "Итого (руб.)" |
| 12 | 164 | 24 | 14 | LRB | AN7 | CM |  | "1" |
| 36 | 164 | 90 | 14 | RB | AN7 | CM |  | "2" |
| 126 | 164 | 110 | 14 | RB | AN7 | CM |  | "3" |
| 236 | 164 | 70 | 14 | RB | AN7 | CM |  | "4" |
| 306 | 164 | 70 | 14 | RB | AN7 | CM |  | "5" |
| 376 | 164 | 70 | 14 | RB | AN7 | CM |  | "6" |
| 446 | 164 | 70 | 14 | RB | AN7 | CM |  | "7" |
| 516 | 164 | 70 | 14 | RB | AN7 | CM |  | "8" |
| 586 | 164 | 70 | 14 | RB | AN7 | CM |  | "9" |
| 656 | 164 | 80 | 14 | RB | AN7 | CM |  | "10" |
| 12 | 178 | 724 | 18 | LRB | A8 | LM |  |  |
| 12 | 196 | 724 | 18 | LRB | A8b | LM |  | "Итого за отчетный (налоговый) период" |

band ReportSummary5 kind=1 top=3760 height=900
| 12 | 4 | 724 | 58 | - | A10b | CM |  | "V. Сумма торгового сбора, уменьшающая сумму налога, уплачиваемого в связи с применением упрощенной системы налогообложения (авансовых платежей по налогу) (заполняется налогоплательщиками, выбравшими в качестве объекта налогообложения доходы)" |
| 12 | 64 | 40 | 60 | LTRB | AN8 | CM |  | "№ п/п" |
| 52 | 64 | 200 | 60 | TRB | AN8 | CM |  | "Дата и номер первичного документа" |
| 252 | 64 | 280 | 60 | TRB | AN8 | CM |  | "Период, за который произведена уплата торгового сбора" |
| 532 | 64 | 204 | 60 | TRB | AN8 | CM |  | "Сумма уплаченного торгового сбора (руб.)" |
| 12 | 124 | 40 | 14 | LRB | AN8 | CM |  | "1" |
| 52 | 124 | 200 | 14 | RB | AN8 | CM |  | "2" |
| 252 | 124 | 280 | 14 | RB | AN8 | CM |  | "3" |
| 532 | 124 | 204 | 14 | RB | AN8 | CM |  | "4" |
| 12 | 138 | 724 | 18 | LRB | A8 | LM |  |  |
| 12 | 156 | 724 | 18 | LRB | A8b | LM |  | "Итого за отчетный (налоговый) период" |

band PageFooter1 kind=3 top=4700 height=18
| 24 | 0 | 708 | 16 | T= | A8 | RT |  | "[Page#]" |
