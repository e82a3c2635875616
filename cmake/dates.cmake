# Calendar arithmetic for release dates, in CMake's integer math.

# Days since 1970-01-01 of a proleptic Gregorian date (the civil-from-days inverse).
function(days_since_epoch year month day result)
  set(y ${year})
  if(month LESS_EQUAL 2)
    math(EXPR y "${year} - 1")
  endif()
  math(EXPR era "${y} / 400")
  math(EXPR yoe "${y} - ${era} * 400")
  math(EXPR mp "(${month} + 9) % 12")
  math(EXPR doy "(153 * ${mp} + 2) / 5 + ${day} - 1")
  math(EXPR doe "${yoe} * 365 + ${yoe} / 4 - ${yoe} / 100 + ${doy}")
  math(EXPR days "${era} * 146097 + ${doe} - 719468")
  set(${result} ${days} PARENT_SCOPE)
endfunction()

# A date and a minute past midnight as the Debian changelog writes them:
# "Wed, 09 Dec 2026 00:01:00 +0000" for minute 1.
function(debian_changelog_date year month day minute result)
  days_since_epoch(${year} ${month} ${day} days)
  math(EXPR weekday "(${days} + 4) % 7")  # 1970-01-01 was a Thursday
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  list(GET weekdays ${weekday} weekday_name)
  math(EXPR month_index "${month} - 1")
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET months ${month_index} month_name)
  if(minute LESS 10)
    set(minute 0${minute})
  endif()
  set(${result} "${weekday_name}, ${day} ${month_name} ${year} 00:${minute}:00 +0000" PARENT_SCOPE)
endfunction()
