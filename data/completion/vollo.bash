# bash completion for vollo
_vollo() {
    local cur prev words cword
    _init_completion || return
    local commands="list categories add tag untag new-category rename-category delete-category find-missing check export import backup"
    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version --categories" -- "$cur"))
        return
    fi
    local categories
    case ${words[1]} in
    --categories)
        _filedir
        return
        ;;
    list | rename-category | delete-category)
        if [[ $cword -eq 2 && $cur != -* ]]; then
            mapfile -t categories < <(vollo categories --names 2>/dev/null)
            local IFS=$'\n'
            COMPREPLY=($(compgen -W "${categories[*]}" -- "$cur"))
            return
        fi
        ;;
    tag | untag)
        if [[ $cword -eq 2 ]]; then
            mapfile -t categories < <(vollo categories --names 2>/dev/null)
            local IFS=$'\n'
            COMPREPLY=($(compgen -W "${categories[*]}" -- "$cur"))
            return
        fi
        _filedir
        return
        ;;
    add)
        if [[ $prev == -c || $prev == --category ]]; then
            mapfile -t categories < <(vollo categories --names 2>/dev/null)
            local IFS=$'\n'
            COMPREPLY=($(compgen -W "${categories[*]}" -- "$cur"))
            return
        fi
        ;;
    export)
        if [[ $prev == --format ]]; then
            COMPREPLY=($(compgen -W "json csv" -- "$cur"))
            return
        fi
        ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(vollo "${words[1]}" --help 2>/dev/null | grep -o -- '--[a-z-]*')" -- "$cur"))
        return
    fi
    _filedir
}
complete -F _vollo vollo
