# bash completion for zantrel                              -*- shell-script -*-
# Installed as share/bash-completion/completions/zantrel. Needs nothing but
# bash itself (not the bash-completion helpers), so it works when sourced
# by hand too.

# Options written without a value.
_zantrel_bare_options='-? --help -V --version
-install --install -shell --shell -uninstall --uninstall -unshell --unshell -show --show
-fdff --folderdatefromfiles -h --html -s --simple -l --lowercase -8 --8 -le -u --uppercase -ue
-magic -magick --magic --magick -n --namecase -t --test -d --downloads
-ded --delete-existing-destination -des --delete-existing-source
-dir -dirs --folders -daf --dirsandfiles -sub -subs --subdirs --subfolders --recursive
-copy --copy -cm --copy-media -pfn --pathprefix -log --logfile -pfn1 --pathprefix1
-ss --suffix-size -dp --date-prefix -ds --date-suffix -de --date-exif -dn --date-from-name
-verbose --verbose -i --images -m --movies -nice --nice -pairs --pairs'

# Options whose value follows "=".
_zantrel_value_options='-it= --image-tag= -f= --format= -ts= --time-shift=
-cd= --current-directory= -cm= --copy-media= -df= --date-format= -dt= --date-type=
-st= -sd= --set-time= --set-date= -dcs= --delete-chars-start= -dce= --delete-chars-end=
-dcp= --delete-chars-pos= -dcn= --delete-chars-num= -max= --max= --max-length=
-maxsize= --maxsize= -minsize= --minsize= -dst= --delete-string=
-install= --install= -shell= --shell= -pre= --prefix= -suf= --suffix=
-undo= --undo='

_zantrel()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    # bash splits words at "=" (and ":"), so the option a value belongs to
    # is read from the command line itself: the argument up to the cursor.
    # Readline replaces only what follows the last such break, so the
    # answers leave out what comes before it.
    local arg=${COMP_LINE:0:COMP_POINT}
    arg=${arg##*[[:space:]]}
    local lead="" brk part
    for brk in = :; do
        [[ $COMP_WORDBREAKS == *"$brk"* && $arg == *"$brk"* ]] || continue
        part=${arg%"$brk"*}$brk
        ((${#part} > ${#lead})) && lead=$part
    done
    local name=${arg%%=*} value=${arg#*=}
    local -a words=()

    COMPREPLY=()
    if [[ $arg == -*=* ]]; then
        case ${name,,} in
            -dt | --date-type)
                mapfile -t words < <(compgen -P "$name=" -W 'C A W E' -- "${value^^}")
                ;;
            -undo | --undo)
                mapfile -t words < <(compgen -P "$name=" -f -- "$value")
                compopt -o filenames 2>/dev/null
                ;;
            -cd | --current-directory | -cm | --copy-media)
                mapfile -t words < <(compgen -P "$name=" -S / -d -- "$value")
                compopt -o filenames -o nospace 2>/dev/null
                ;;
            *)
                return 0
                ;;
        esac
        COMPREPLY=("${words[@]#"$lead"}")
        return 0
    fi

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$_zantrel_bare_options $_zantrel_value_options" -- "$cur")
        [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
        return 0
    fi

    # Patterns: zantrel matches them itself, so a file name is a start.
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    return 0
}
complete -F _zantrel zantrel
